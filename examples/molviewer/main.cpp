// tkz-molviewer: browses the records of a molfile or SD file, shows each
// structure with its name, formula, weight, rings and CAS number, and
// searches a query structure over the whole file.
//
//   tkz-molviewer [--size WxH] [--query Q.mol] [--screenshot OUT.png] FILE
//
// With --screenshot the first view (after the index and any search are
// complete) is written as a picture and the program ends; it needs no X
// display. Otherwise it opens a window and runs until the window is closed.
#include <cstdio>
#include <exception>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/imagefile.h"
#include "examples/molviewer/viewer_form.h"
#include "tools/common/size_text.h"

namespace {

constexpr const char* kUsage =
    "usage: tkz-molviewer [options] FILE\n"
    "Browses the records of a molfile or SD file.\n"
    "  --size WxH          window size in pixels (default 1000x700)\n"
    "  --query Q.mol       search the structure of Q.mol in every record at once\n"
    "  --screenshot OUT    write the first view as a picture (.png, .bmp, .jpg) and exit;\n"
    "                      needs no X display\n"
    "  --help              this text\n"
    "Keys: Right/Down/Page Down/Space next, Left/Up/Page Up/Backspace previous,\n"
    "Home first, End last, a number and Return goes to that record; / or Ctrl+F\n"
    "types a query file to search, F3 / Shift+F3 (n / N) next / previous hit.\n";

int Usage(const std::string& message) {
  std::cerr << "tkz-molviewer: " << message << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, query, screenshot;
  int width = 1000, height = 700;
  const std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--size") {
      std::string s;
      // At least 200 wide for the information line, 150 high.
      if (!value(s) ||
          tkz::tool::ParseSizeText(s, 150, 8192, width, height) != tkz::tool::SizeText::Ok ||
          width < 200)
        return Usage("--size needs WxH, from 200x150 to 8192x8192");
    } else if (a == "--query") {
      if (!value(query)) return Usage("--query needs a molfile");
    } else if (a == "--screenshot") {
      if (!value(screenshot)) return Usage("--screenshot needs an output file");
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else if (file.empty()) {
      file = a;
    } else {
      return Usage("only one FILE, please");
    }
  }
  if (file.empty()) return Usage("no FILE given");

  auto form = std::make_unique<tkz::molviewer::TMolViewerForm>();
  form->SetBounds(40, 40, width, height);
  std::string why;
  if (!form->Open(file, why)) {
    std::cerr << "tkz-molviewer: " << file << ": " << why << "\n";
    return 1;
  }
  if (!query.empty() && !form->StartSearch(query, why)) {
    std::cerr << "tkz-molviewer: " << why << "\n";
    return 1;
  }
  if (!screenshot.empty()) {
    form->WaitUntilSettled();
    try {
      tkz::SaveBitmapToFile(*tkz::TakeScreenshot(form.get()), screenshot);
    } catch (const std::exception& e) {
      std::cerr << "tkz-molviewer: " << screenshot << ": " << e.what() << "\n";
      return 1;
    }
    return 0;
  }
  // The file is checked before the display, so a bad file is named first.
  std::unique_ptr<tkz::TX11Backend> x11 = tkz::TX11Backend::Open(nullptr);
  if (!x11) {
    std::cerr << "tkz-molviewer: cannot open the X display (set DISPLAY)\n";
    return 1;
  }
  tkz::SetWindowBackend(x11.get());
  form->Show();
  tkz::Application().Run();  // until the window is closed
  form.reset();
  tkz::SetWindowBackend(nullptr);
  return 0;
}
