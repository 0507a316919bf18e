#pragma once
// What a scripted session can see of the window, for tests that drive the real binary: the
// "describe" step's snapshot and the "watch" step's running account of focus moves.
#include <QString>

class MainWindow;

namespace SessionProbe {
// One line a fact, tab-separated, on stdout: what the window and the active screen show.
void describe(MainWindow& window);
// From now on, one line on stdout for every focus move, report picked and button checked or
// unchecked; with a folder, also a picture of the window after each report picked and of each
// dialog that takes the focus.
void watch(MainWindow& window, const QString& dir);
} // namespace SessionProbe
