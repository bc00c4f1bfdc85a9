// tkz-mapviewer: shows a calibrated map, an atlas of maps or a geographic
// database in a window, or writes the first view as a PNG picture.
//
//   tkz-mapviewer [--id ID] [--landmarks FILE] [--size WxH] [--screenshot OUT.png] FILE
//
// Exit status 0 on success, 1 on failure (a message on standard error naming
// the file), 2 on a usage error.
#include <cstring>
#include <iostream>
#include <string>

#include "core/platform/application.h"
#include "core/platform/backend_x11.h"
#include "core/platform/imagefile.h"
#include "examples/mapviewer/mapviewer_form.h"
#include "tools/common/size_text.h"

namespace {

constexpr const char* kUsage =
    "usage: tkz-mapviewer [options] FILE\n"
    "Shows a map calibration file, an atlas definition or a geographic database.\n"
    "  --id ID             the calibration to show (default: the first)\n"
    "  --landmarks FILE    landmarks to show, and where Ctrl+S saves them\n"
    "                      (default FILE's base name + .landmarks.xml)\n"
    "  --size WxH          window size (default 1000x700)\n"
    "  --screenshot OUT.png  write the first view as a picture and exit (no display needed)\n"
    "  --help              this text\n";

int Usage(const std::string& what) {
  std::cerr << "tkz-mapviewer: " << what << "\n" << kUsage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string file, id, landmarks, screenshot;
  int w = 1000, h = 700;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    if (a == "--help" || a == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (a == "--id") {
      if (!value(id)) return Usage("--id needs a value");
    } else if (a == "--landmarks") {
      if (!value(landmarks)) return Usage("--landmarks needs a file");
    } else if (a == "--screenshot") {
      if (!value(screenshot)) return Usage("--screenshot needs a file");
    } else if (a == "--size") {
      std::string s;
      if (!value(s) || tkz::tool::ParseSizeText(s, 100, 8000, w, h) != tkz::tool::SizeText::Ok)
        return Usage("--size must be WxH, 100..8000 each");
    } else if (a.size() > 1 && a[0] == '-') {
      return Usage("unknown option " + a);
    } else if (!file.empty()) {
      return Usage("only one FILE");
    } else {
      file = a;
    }
  }
  if (file.empty()) return Usage("no FILE given");

  try {
    auto form = std::make_unique<tkz::mapviewer::TMapViewerForm>();
    form->SetBounds(0, 0, w, h);
    form->OpenFile(file, id, landmarks);
    if (!screenshot.empty()) {
      auto shot = tkz::TakeScreenshot(form.get());
      tkz::SaveBitmapToFile(*shot, screenshot);
      return 0;
    }
    // The file is checked before the display, so a bad file is named first.
    std::unique_ptr<tkz::TX11Backend> x11 = tkz::TX11Backend::Open();
    if (!x11) {
      std::cerr << "tkz-mapviewer: cannot open the X display (set DISPLAY)\n";
      return 1;
    }
    tkz::SetWindowBackend(x11.get());
    form->Show();
    tkz::Application().Run();
    tkz::SetWindowBackend(nullptr);
  } catch (const std::exception& e) {
    tkz::SetWindowBackend(nullptr);
    std::cerr << "tkz-mapviewer: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
