// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <array>
#include <vector>

// The game's pictures, compiled in by the rabuscal_assets library: every
// window, the asset program and the tests name a picture only through these.
// The game checks at start that each of them is there (see missingPictures).
namespace rabuscal::assets {

// Where the program finds the pictures; under images/ in the sources.
inline constexpr char kPictureFolder[] = ":/assets/";
inline constexpr char kSkinForm1[] = ":/assets/skin_form1.bmp";  // main window
inline constexpr char kSkinForm2[] = ":/assets/skin_form2.bmp";  // chat window
inline constexpr char kSkinForm3[] = ":/assets/skin_form3.bmp";  // server window
inline constexpr char kSkinFWeb[] = ":/assets/skin_fweb.bmp";    // browser window
inline constexpr char kButtonUp1[] = ":/assets/btup1.bmp";       // face set 1 (green), released
inline constexpr char kButtonDown1[] = ":/assets/btdw1.bmp";     // face set 1, pressed
inline constexpr char kButtonUp2[] = ":/assets/btup2.bmp";       // face set 2 (beige), released
inline constexpr char kButtonDown2[] = ":/assets/btdw2.bmp";     // face set 2, pressed
inline constexpr char kWelcome[] = ":/assets/welcome.bmp";       // the board's first picture

// "skin_form1.bmp": the file under images/ that a picture above is compiled from.
QString pictureFile(const char* picture);

// A picture the program loads and the size it must have.
struct Picture {
    QString path;
    QSize size;
};

// Every picture the program loads: the skins, the plain and the buttons' own
// faces, the welcome picture.
std::vector<Picture> allPictures();

// One line for each picture that cannot be read or has another size, naming
// it ("... is missing"); empty when all are fine. Reads only the pictures'
// headers: checking all of them at start takes well under a millisecond.
QStringList missingPictures(const std::vector<Picture>& pictures);

// An image button of the game and the face set its own faces are drawn in.
// Each button shows a small symbol of what it does on both of its faces; the
// plain faces above stay for the main window's picture store and as the
// fallback of a button without faces of its own.
struct ImageButtonFaces {
    const char* button;  // object name of the button
    int set;             // 1 green, 2 beige
};

// A button of the same name in two windows (btPexo, btFechar) does the same
// thing in both and shares its faces.
inline constexpr std::array<ImageButtonFaces, 27> kImageButtons{{
    // main window, face set 1
    {"btServ", 1},
    {"btConec", 1},
    {"btMin", 1},
    {"btFim", 1},
    {"btInst", 1},
    {"btTroc", 1},
    {"btTerm", 1},
    {"btDes", 1},
    {"btFnd", 1},
    {"btCls", 1},
    // main window, face set 2
    {"btJog", 2},
    {"btPan", 2},
    {"btCjg", 2},
    {"btEnt", 2},
    {"btGrp", 2},
    {"btVrs", 2},
    {"btOkp", 2},
    {"btClub", 2},
    {"btPexo", 2},
    {"btHd", 2},
    // chat, server and browser windows
    {"btTentar", 2},
    {"btLig", 2},
    {"btAtv", 2},
    {"btFechar", 2},
    {"btAnt", 2},
    {"btProx", 2},
    {"btStop", 2},
}};

// "btServ_up.bmp", "btServ_dw.bmp": the file of a button's face under images/buttons/.
QString buttonFaceFile(QStringView button, bool pressed);
// ":/assets/buttons/btServ_up.bmp": where the program finds that face.
QString buttonFacePath(QStringView button, bool pressed);

}  // namespace rabuscal::assets
