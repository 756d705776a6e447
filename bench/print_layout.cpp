// tidewell-print-bench: the line printer's layout of one very long line (a name or command
// in the long report, a log line), measured with the real GDI text measurement of the
// printer font on a device context of the screen.
//
//   tidewell-print-bench [--bytes N] [--reps R]
//
// The line is N bytes of ASCII text without a break (1 MiB unless given); the device draws
// nothing, so the figure is the layout alone: measuring, breaking at the page's edge and
// placing every printed line. It prints the median of R runs as
// "print_layout_1mb_ms: <value>" (for another size, "print_layout_<N>b_ms").

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "util/TextPrinter.h"
#include "win32/Win32Printing.h"

namespace {

using tw::bench::Median;
using tw::bench::Seconds;

// The printer surface's measurement on a memory device context: pages and the document
// cost nothing, and drawing only counts what would be drawn.
class LayoutOnlySurface : public tw::PrinterSurface {
 public:
  using tw::PrinterSurface::PrinterSurface;
  void BeginDocument() override {}
  void BeginPage() override { ++pages; }
  void EndPage() override {}
  void EndDocument() override {}
  void AbortDocument() override {}
  void DrawString(int, int, const std::string& text) override {
    ++pieces;
    drawnBytes += text.size();
  }
  int pages = 0;
  int pieces = 0;
  std::size_t drawnBytes = 0;
};

std::string LongLine(std::size_t bytes) {
  const std::string word = "C:\\Program Files\\Some Vendor\\Some Product\\uninstall.exe /S /LOG=\"x.txt\" ";
  std::string line;
  line.reserve(bytes);
  while (line.size() < bytes) line += word;
  line.resize(bytes);
  return line;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::size_t bytes = 1u << 20;
  int reps = 3;
  for (int i = 1; i < argc; ++i) {
    const std::wstring arg = argv[i];
    if (arg == L"--bytes" && i + 1 < argc) {
      bytes = static_cast<std::size_t>(std::max(1, _wtoi(argv[++i])));
    } else if (arg == L"--reps" && i + 1 < argc) {
      reps = std::max(1, _wtoi(argv[++i]));
    } else {
      std::fprintf(stderr, "usage: tidewell-print-bench [--bytes N] [--reps R]\n");
      return 2;
    }
  }

  const std::string line = LongLine(bytes);
  std::vector<double> times;
  for (int r = 0; r < reps; ++r) {
    LayoutOnlySurface surface(tw::UniqueHdc(CreateCompatibleDC(nullptr)), "layout");
    const double start = Seconds();
    {
      tw::TextPrinter printer(surface);
      printer.WriteLine(line);
      printer.Close();
    }
    times.push_back(Seconds() - start);
    if (surface.drawnBytes != line.size()) {
      std::fprintf(stderr, "tidewell-print-bench: %zu bytes drawn of %zu\n", surface.drawnBytes, line.size());
      return 1;
    }
    std::printf("# %zu bytes: %d printed lines on %d pages, %.1f ms\n", bytes, surface.pieces, surface.pages,
                times.back() * 1000);
  }
  const double ms = Median(times) * 1000;
  if (bytes == 1u << 20) {
    std::printf("print_layout_1mb_ms: %.1f\n", ms);
  } else {
    std::printf("print_layout_%zub_ms: %.1f\n", bytes, ms);
  }
  return 0;
}
