#pragma once

#include <memory>

class TForm1;
class TForm2;
class TForm3;
class TFWeb;

// The four windows of the game for the whole run. Creating this object
// creates them in order (main window, chat, server, browser), each hidden and
// shaped, and makes them reachable as Form1, Form2, Form3 and FWeb;
// destroying it destroys them newest first, so the server window closes its
// listener before the main window closes its client connections.
class GameWindows {
  public:
    GameWindows();
    ~GameWindows();
    GameWindows(const GameWindows&) = delete;
    GameWindows& operator=(const GameWindows&) = delete;

    // Only the main window is shown at start.
    void showMainWindow();

  private:
    std::unique_ptr<TForm1> form1_;
    std::unique_ptr<TForm2> form2_;
    std::unique_ptr<TForm3> form3_;
    std::unique_ptr<TFWeb> fweb_;
};
