#include <gtest/gtest.h>

#include <windows.h>

#include <stdexcept>

#include "forms/ModalForm.h"

namespace tw {
namespace {

// A top-level window standing in for the main window, destroyed with the test.
class OwnerWindow {
 public:
  OwnerWindow()
      : hwnd_(::CreateWindowExW(0, L"STATIC", L"Owner", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 300, 200, nullptr,
                                nullptr, ::GetModuleHandleW(nullptr), nullptr)) {}
  ~OwnerWindow() { ::DestroyWindow(hwnd_); }
  OwnerWindow(const OwnerWindow&) = delete;
  OwnerWindow& operator=(const OwnerWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

// A form that records what its owner looked like while it was made, and fails where told.
class ProbeForm : public ModalForm {
 public:
  void CreateForm(HWND owner) override {
    CreateWindowOf(L"TidewellTestProbeForm", WS_POPUP, 0, L"Probe", 0, 0, 120, 80, owner);
    created = hwnd_;
    ownerEnabledWhileCreated = ::IsWindowEnabled(owner) != FALSE;
    if (failCreate) throw std::runtime_error("creation failed");
  }
  void FormActivate() override {
    ownerEnabledWhileActive = ::IsWindowEnabled(::GetWindow(hwnd_, GW_OWNER)) != FALSE;
    if (failActivate) throw std::runtime_error("activation failed");
    SetModalResult(kModalOk);
  }

  bool failCreate = false;
  bool failActivate = false;
  HWND created = nullptr;
  bool ownerEnabledWhileCreated = true;
  bool ownerEnabledWhileActive = true;
};

TEST(ModalRunner, TheOwnerIsDisabledFromTheFormsCreationToItsEnd) {
  OwnerWindow owner;
  ASSERT_NE(owner.get(), nullptr);
  ProbeForm form;
  Win32ModalRunner runner;
  EXPECT_EQ(runner.Run(form, owner.get()), kModalOk);
  EXPECT_FALSE(form.ownerEnabledWhileCreated) << "an error shown while the form is made sits over a dead owner";
  EXPECT_FALSE(form.ownerEnabledWhileActive);
  EXPECT_TRUE(::IsWindowEnabled(owner.get()));
  EXPECT_EQ(form.Handle(), nullptr);
  EXPECT_FALSE(::IsWindow(form.created));
}

TEST(ModalRunner, AFormThatFailsGivesItsOwnerBack) {
  for (const bool inActivation : {false, true}) {
    SCOPED_TRACE(inActivation ? "activation throws" : "creation throws");
    OwnerWindow owner;
    ProbeForm form;
    (inActivation ? form.failActivate : form.failCreate) = true;
    Win32ModalRunner runner;
    EXPECT_THROW(runner.Run(form, owner.get()), std::runtime_error);
    EXPECT_TRUE(::IsWindowEnabled(owner.get()));
    ASSERT_NE(form.created, nullptr);
    EXPECT_FALSE(::IsWindow(form.created));
    EXPECT_EQ(form.Handle(), nullptr);
  }
}

TEST(ModalRunner, AnOwnerDisabledBeforehandStaysDisabled) {
  OwnerWindow owner;
  ::EnableWindow(owner.get(), FALSE);
  ProbeForm form;
  form.failActivate = true;
  Win32ModalRunner runner;
  EXPECT_THROW(runner.Run(form, owner.get()), std::runtime_error);
  EXPECT_FALSE(::IsWindowEnabled(owner.get()));
}

}  // namespace
}  // namespace tw
