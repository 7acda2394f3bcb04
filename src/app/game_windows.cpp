#include "app/game_windows.h"

#include "app/main_window.h"
#include "client/chat_window.h"
#include "server/server_window.h"
#include "ui/forms.h"
#include "web/browser_window.h"

GameWindows::GameWindows() {
    form1_ = std::make_unique<TForm1>();
    Form1 = form1_.get();
    form2_ = std::make_unique<TForm2>();
    Form2 = form2_.get();
    form3_ = std::make_unique<TForm3>();
    Form3 = form3_.get();
    fweb_ = std::make_unique<TFWeb>();
    FWeb = fweb_.get();
}

GameWindows::~GameWindows() {
    fweb_.reset();
    FWeb = nullptr;
    form3_.reset();
    Form3 = nullptr;
    form2_.reset();
    Form2 = nullptr;
    form1_.reset();
    Form1 = nullptr;
}

void GameWindows::showMainWindow() {
    Form1->show();
}
