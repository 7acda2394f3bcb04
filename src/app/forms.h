// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace rabuscal {

// The four windows of the game, one instance each for the whole run, created
// at start-up in this order and destroyed newest first. Null before start-up
// and after shut-down. Include the window's own header to use one.
class TForm1;  // app/main_window.h
class TForm2;  // client/ui/chat_window.h
class TForm3;  // server/ui/server_window.h
class TFWeb;   // web/browser_window.h

extern TForm1* Form1;
extern TForm2* Form2;
extern TForm3* Form3;
extern TFWeb* FWeb;

// The nick of the current drawer, empty for none: one variable for the whole
// program, written by the built-in game server when it picks a drawer and by
// the game client on every "mdv" it receives; the board, the round controls
// and the chat read it for the drawer test. Start-up hands it to the main
// window's game and to the server window; nothing below the shell names it.
extern std::string DrawerNick;

}  // namespace rabuscal
