// Saves a PNG of the main window as a user would see it, optionally after driving it:
//   firxover-snapshot OUT.png [--dark] [--size WxH] [--slider POS] [--linear-frequency] [--linear-amplitude]
//                     [--estimate] [--calc]
// --dark draws it in the Fusion style with a dark desktop palette, as a dark theme shows it; --size
// resizes the window. The actions run in the order given, the Calc last. It runs on any Qt
// platform, offscreen included. The picture
// replaces OUT.png whole or not at all, as every export does (a link is written through, anything
// but a regular file is refused).
#include <QApplication>
#include <QCheckBox>
#include <QPixmap>
#include <QSlider>
#include <QStyleFactory>
#include <charconv>
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "export/StagedFiles.h"
#include "numerics/Errors.h"
#include "pipeline/DesignState.h"
#include "window/Appearance.h"
#include "window/ExportMenu.h"
#include "window/Unit1.h"

namespace {

constexpr const char* Usage =
    "usage: firxover-snapshot OUT.png [--dark] [--size WxH] [--slider POS] [--linear-frequency] [--linear-amplitude] "
    "[--estimate] [--calc]\n";

enum class Action { Slider, LinearFrequency, LinearAmplitude, Estimate, Resize };

struct Request {
  std::string out;
  std::vector<std::pair<Action, int>> actions;
  bool calc = false;
  bool dark = false;
};

// "WIDTHxHEIGHT", each 1 .. 10000 pixels.
std::optional<std::pair<int, int>> ParseSize(const std::string& text) {
  const size_t x = text.find('x');
  if (x == std::string::npos) return std::nullopt;
  int width = 0, height = 0;
  const char* const begin = text.data();
  const auto [widthEnd, widthError] = std::from_chars(begin, begin + x, width);
  const auto [heightEnd, heightError] = std::from_chars(begin + x + 1, begin + text.size(), height);
  if (widthError != std::errc() || widthEnd != begin + x || heightError != std::errc() ||
      heightEnd != begin + text.size() || width < 1 || height < 1 || width > 10000 || height > 10000) {
    return std::nullopt;
  }
  return std::make_pair(width, height);
}

// The slider position 0 .. 6 written in decimal, nothing else.
std::optional<int> ParsePosition(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 0 || value > 6) return std::nullopt;
  return value;
}

// Reads the command line; returns the problem, or an empty text.
std::string Parse(int argc, char** argv, Request& request) {
  if (argc < 2) return "an output file is needed";
  request.out = argv[1];
  if (request.out.empty() || request.out.front() == '-') return "the first argument is the output file, not '" + request.out + "'";
  for (int i = 2; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--dark") {
      request.dark = true;
    } else if (option == "--size") {
      if (i + 1 >= argc) return "option --size needs WIDTHxHEIGHT";
      const std::string value = argv[++i];
      const auto size = ParseSize(value);
      if (!size) return "option --size takes WIDTHxHEIGHT (1 to 10000 pixels each), not '" + value + "'";
      request.actions.emplace_back(Action::Resize, size->first * 10001 + size->second);
    } else if (option == "--slider") {
      if (i + 1 >= argc) return "option --slider needs a position from 0 to 6";
      const std::string value = argv[++i];
      const std::optional<int> position = ParsePosition(value);
      if (!position) return "option --slider takes a position from 0 to 6, not '" + value + "'";
      request.actions.emplace_back(Action::Slider, *position);
    } else if (option == "--linear-frequency") {
      request.actions.emplace_back(Action::LinearFrequency, 0);
    } else if (option == "--linear-amplitude") {
      request.actions.emplace_back(Action::LinearAmplitude, 0);
    } else if (option == "--estimate") {
      request.actions.emplace_back(Action::Estimate, 0);
    } else if (option == "--calc") {
      request.calc = true;
    } else {
      return "unknown option '" + option + "'";
    }
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  Request request;
  if (const std::string problem = Parse(argc, argv, request); !problem.empty()) {
    std::fprintf(stderr, "firxover-snapshot: %s\n%s", problem.c_str(), Usage);
    return 2;
  }
  try {
    QApplication application(argc, argv);
    // The palette is the application's before the window exists, as a desktop theme sets it.
    if (request.dark) {
      QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
      QApplication::setPalette(DarkDesktopPalette());
    }
    DesignState design;
    TForm1 form(design);
    Form1 = &form;
    form.SetMessageSink([](const std::string& text) { std::fprintf(stderr, "message: %s\n", text.c_str()); });
    form.show();
    QApplication::processEvents();
    for (const auto& [action, value] : request.actions) {
      switch (action) {
        case Action::Slider: form.TrackBarShelbGain->setValue(value); break;
        case Action::LinearFrequency: form.CheckBox1->click(); break;
        case Action::LinearAmplitude: form.CheckBox2->click(); break;
        case Action::Estimate: form.Button5Click(); break;
        case Action::Resize:
          form.resize(value / 10001, value % 10001);
          QApplication::processEvents();
          break;
      }
    }
    if (request.calc) form.Button1Click();
    QApplication::processEvents();
    const QImage picture = form.grab().toImage();
    Form1 = nullptr;
    if (picture.isNull()) throw UserError(CannotWriteMessage(request.out, "the window could not be captured"));
    SavePng(picture, request.out);
  } catch (const UserError& error) {
    std::fprintf(stderr, "firxover-snapshot: %s\n", error.Text().c_str());
    return 1;
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "firxover-snapshot: %s\n", CannotWriteMessage(request.out, "not enough memory").c_str());
    return 1;
  }
  return 0;
}
