#include "app/AppConfiguration.h"

#include "app/CorDirectReg.h"

namespace tw {

int WindowSettings::Read(StrId name, int def) const {
  return ReadSetting(registry_, key_, section_, LoadStr(name), def);
}

void WindowSettings::Write(StrId name, int value) const {
  WriteSetting(registry_, key_, section_, LoadStr(name), value);
}

}  // namespace tw
