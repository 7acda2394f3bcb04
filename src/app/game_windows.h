// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace rabuscal {

class TForm1;
class TForm2;
class TForm3;
class TFWeb;

}  // namespace rabuscal

namespace rabuscal::directory {
class DirectoryConnection;
}

namespace rabuscal {

// Called once the application exists, before any window: on a screen whose
// available area cannot hold the main window whole at the desktop's scale,
// the game starts again at the largest whole scale that can (the pictures
// are drawn pixel for pixel, so never a fraction). Returns when the scale
// fits, when it cannot get smaller, or when the new start fails.
void restartAtAScaleThatFits(char** argv);

// The four windows of the game for the whole run. Creating this object
// creates them in order (main window, chat, server, browser), each hidden and
// shaped, and makes them reachable as Form1, Form2, Form3 and FWeb;
// destroying it destroys them newest first, so the server window closes its
// listener before the main window closes its client connections.
//
// It also holds the program's one directory connection `Cli2`, shared by the
// lobby's group list and the server window's announcements; it is closed
// last, after the main window has closed the game connection.
class GameWindows {
  public:
    GameWindows();
    ~GameWindows();
    GameWindows(const GameWindows&) = delete;
    GameWindows& operator=(const GameWindows&) = delete;

    // Only the main window is shown at start.
    void showMainWindow();

  private:
    void linkServerWindowToLobby();

    std::unique_ptr<rabuscal::directory::DirectoryConnection> directory_;
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TFWeb> fweb_;
};

}  // namespace rabuscal
