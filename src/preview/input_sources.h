#pragma once
// Where the preview's pictures come from. Switcher input n is read from "mp://StreviaInput" + n;
// the designer's settings file maps inputs to real sources in its section [Inputs]:
//
//   [Inputs]
//   StreviaInput1=rtsp://camera.local/stream
//   StreviaInput2=/home/op/clips/intro.mp4
//   StreviaInput3=/home/op/stills/pic_*.png
//   StreviaInput4=/dev/video0
//
// Values are taken as written (no quoting or escaping). An input without a line is a built-in
// test source. A mapped file plays in a loop.

#include <QString>

#include <map>

#include "preview/media/media_reader.h"

namespace quorvel {

// "mp://StreviaInput" + n in decimal.
QString InputUrl(int inputNumber);
// n for "mp://StreviaInput<n>" (n from 1, no sign, any case of the prefix); 0 for anything else.
int InputNumberOfUrl(const QString& url);

// The designer's settings file: <application data>/quorvel/quorvel.sav. Other programs (the
// command-line tool) read the same file, so the name does not follow the running executable.
QString DesignerSettingsPath();

// The lines StreviaInput<n>=<value> of section [Inputs] (section and key names in any case, blanks
// around names and values ignored, empty values skipped). Empty when the file cannot be read.
// The file is UTF-8 when it decodes as such, otherwise the ANSI code page.
std::map<int, QString> ReadInputMap(const QString& settingsPath);

enum class TestSourceMotion { Live, Frozen };

// A reader for url, opened with options: a switcher input resolves through the map to its source
// or to a test source; a still picture gets the picture reader; anything else goes to FFmpeg.
// Never null: a reader that cannot start gives no frames.
media::ReaderPtr OpenSource(const QString& url, const QString& options,
                            const std::map<int, QString>& inputMap,
                            TestSourceMotion motion = TestSourceMotion::Live);

} // namespace quorvel
