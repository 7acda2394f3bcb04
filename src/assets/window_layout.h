// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

#include "assets/asset_names.h"
#include "assets/board_size.h"

// Where the controls of each window sit: the windows place their widgets from
// here, and the asset program leaves room for them on the skins. Every one of
// them must lie inside the window's outline (the pictures test checks it).
//
// Names are the controls' own (`Abook`, `btServ`, `Stk`). Controls on a page
// of the notebook `Abook`, or on a panel, are in that page's coordinates; the
// page's origin in the window is given with them.
namespace rabuscal::assets {

inline constexpr QSize kButtonSize{42, 20};
inline constexpr QSize kBoardSize{kBoardWidth, kBoardHeight};

struct Control {
    const char* name;
    QRect place;
};

// An image button: its top-left corner; every button is 42 x 20.
struct Button {
    const char* name;
    QPoint at;
    constexpr QRect place() const { return {at, kButtonSize}; }
};

// Controls of a page or panel, in its own coordinates.
struct Area {
    const char* name;
    QPoint origin;  // in the window
    std::vector<Control> controls;
    std::vector<Button> buttons;
};

struct SkinLayout {
    const char* picture;  // the skin, one of asset_names.h
    QSize size;
    std::vector<Control> controls;  // edit fields, lists, labels, lamps, page areas
    std::vector<Button> buttons;
    std::vector<Area> areas;
};

// TForm1, the main window.
namespace form1 {
inline constexpr QSize kSize{691, 362};
inline constexpr Button btServ{"btServ", {290, 26}};
inline constexpr Button btConec{"btConec", {335, 26}};
inline constexpr Control Explic{"Explic", {425, 29, 131, 14}};
inline constexpr Button btMin{"btMin", {560, 26}};
inline constexpr Button btFim{"btFim", {605, 26}};
// Its pages are the size of the board they show.
inline constexpr Control Abook{"Abook", {QPoint(229, 67), kBoardSize}};
inline constexpr Control Stk{"Stk", {235, 340, 336, 15}};
inline constexpr Button btJog{"btJog", {577, 338}};
inline constexpr Button btPan{"btPan", {627, 338}};
// The player panel on the cover.
inline constexpr Control Versao{"Versao", {177, 77, 15, 14}};
inline constexpr Button btInst{"btInst", {23, 120}};
inline constexpr Control Lista{"Lista", {74, 95, 126, 153}};
inline constexpr Control PontosCaption{"PontosCaption", {7, 147, 50, 14}};
inline constexpr Control Pontos{"Pontos", {7, 163, 65, 16}};
inline constexpr Button btTroc{"btTroc", {23, 190}};
inline constexpr Button btTerm{"btTerm", {23, 210}};
inline constexpr Control lbDes{"lbDes", {68, 274, 92, 14}};
inline constexpr Button btDes{"btDes", {163, 271}};
inline constexpr Control lbFnd{"lbFnd", {68, 294, 92, 14}};
inline constexpr Button btFnd{"btFnd", {163, 291}};
inline constexpr Control lbCls{"lbCls", {68, 314, 92, 14}};
inline constexpr Button btCls{"btCls", {163, 311}};
}  // namespace form1

// The lobby page `Servidor` of Abook, with the directory's groups panel.
namespace lobby {
inline constexpr Control Shp3{"Shp3", {10, 39, 10, 10}};
inline constexpr Button btCjg{"btCjg", {25, 34}};
inline constexpr Control Lb3{"Lb3", {70, 36, 200, 14}};
inline constexpr Control ServidorCaption{"ServidorCaption", {10, 59, 58, 14}};
inline constexpr Control Servidor{"Servidor", {72, 57, 159, 18}};
inline constexpr Control NickCaption{"NickCaption", {10, 79, 58, 14}};
inline constexpr Control Nick{"Nick", {72, 77, 79, 18}};
inline constexpr Button btEnt{"btEnt", {72, 99}};
inline constexpr Control Lb4{"Lb4", {117, 101, 140, 14}};
inline constexpr Button btVrs{"btVrs", {5, 238}};
inline constexpr Control Label27{"Label27", {50, 240, 160, 14}};
// The groups panel; its controls are in page coordinates too.
inline constexpr Control Groups{"Groups", {275, 4, 166, 252}};
inline constexpr Control Shp2{"Shp2", {275, 9, 10, 10}};
inline constexpr Button btGrp{"btGrp", {292, 4}};
inline constexpr Control Label8{"Label8", {337, 6, 104, 14}};
inline constexpr Control Grupos{"Grupos", {275, 25, 166, 231}};
}  // namespace lobby

// The phrase page `Desenho` of Abook: the gallery above the phrase row.
namespace phrase {
inline constexpr Control Gallery{"GalleryPanel", {0, 0, kBoardWidth, 234}};
inline constexpr Control SecretCaption{"SecretCaption", {8, 241, 36, 14}};
inline constexpr Control Secret{"Secret", {48, 239, 290, 18}};
inline constexpr Button btOkp{"btOkp", {345, 238}};
inline constexpr Control OkpCaption{"OkpCaption", {390, 241, 30, 14}};
}  // namespace phrase

// The gallery panel, placed at phrase::Gallery (its origin is the page's).
namespace gallery {
inline constexpr Control Fb1{"Fb1", {45, 5, 161, 226}};
inline constexpr Control Lbox{"Lbox", {45, 5, 161, 226}};
// The preview and the line around it.
inline constexpr Control Shape1{"Shape1", {214, 19, kPreviewWidth + 2, kPreviewHeight + 2}};
inline constexpr Control BufImg{"BufImg", {215, 20, kPreviewWidth, kPreviewHeight}};
inline constexpr Control G1{"G1", {215, 159, 50, 5}};
inline constexpr Button btClub{"btClub", {211, 169}};
inline constexpr Control LbClub{"LbClub", {256, 172, 80, 14}};
inline constexpr Button btPexo{"btPexo", {211, 189}};
inline constexpr Control LbPexo{"LbPexo", {256, 192, 84, 14}};
inline constexpr Button btHd{"btHd", {211, 209}};
inline constexpr Control LbHd{"LbHd", {256, 212, 60, 14}};
inline constexpr Control LoginCaption{"LoginCaption", {340, 170, 36, 14}};
inline constexpr Control ClubLogin{"ClubLogin", {376, 168, 64, 16}};
inline constexpr Control PasswordCaption{"PasswordCaption", {340, 190, 36, 14}};
inline constexpr Control ClubPassword{"ClubPassword", {376, 188, 64, 16}};
}  // namespace gallery

// TForm2, the chat window.
namespace form2 {
inline constexpr QSize kSize{474, 268};
inline constexpr Control Chat{"Chat", {12, 12, 450, 207}};
inline constexpr Control Frase{"Frase", {19, 229, 347, 32}};
inline constexpr Button btTentar{"btTentar", {372, 239}};
inline constexpr Control Label29{"Label29", {419, 241, 50, 14}};
}  // namespace form2

// TForm3, the server window.
namespace form3 {
inline constexpr QSize kSize{376, 122};
inline constexpr Control Shp1{"Shp1", {15, 19, 10, 10}};
inline constexpr Button btLig{"btLig", {28, 14}};
// Wide enough for "Desligar servidor".
inline constexpr Control Lb1{"Lb1", {72, 16, 130, 14}};
inline constexpr Control Label3{"Label3", {220, 15, 14, 15}};
inline constexpr Control Ips{"Ips", {240, 15, 116, 15}};
inline constexpr Control Label28{"Label28", {211, 32, 23, 15}};
inline constexpr Control Lb29{"Lb29", {240, 32, 46, 15}};
inline constexpr Control Label5{"Label5", {15, 72, 88, 14}};
inline constexpr Control Jogo{"Jogo", {107, 70, 154, 18}};
inline constexpr Button btAtv{"btAtv", {267, 69}};
// Wide enough for "Desativar".
inline constexpr Control Lb7{"Lb7", {312, 71, 60, 14}};
inline constexpr Control Stk{"Stk", {16, 100, 295, 15}};
inline constexpr Button btFechar{"btFechar", {316, 98}};
}  // namespace form3

// TFWeb, the browser window.
namespace fweb {
inline constexpr QSize kSize{570, 320};
inline constexpr Control Panel1{"Panel1", {12, 12, 546, 277}};
// The page inside Panel1, its frame hidden under the panel's edge.
inline constexpr Control Web1{"Web1", {-2, -2, 550, 281}};
inline constexpr Button btPexo{"btPexo", {21, 296}};
inline constexpr Control Lb7{"Lb7", {66, 299, 80, 14}};
inline constexpr Control LbAnt{"LbAnt", {206, 299, 18, 14}};
inline constexpr Button btAnt{"btAnt", {226, 296}};
inline constexpr Button btProx{"btProx", {271, 296}};
inline constexpr Control LbProx{"LbProx", {315, 299, 18, 14}};
inline constexpr Button btStop{"btStop", {391, 296}};
inline constexpr Control Led{"Led", {440, 304, 10, 5}};
inline constexpr Control G1{"G1", {455, 304, 50, 5}};
inline constexpr Button btFechar{"btFechar", {511, 296}};
}  // namespace fweb

inline const SkinLayout kMainWindow{
    kSkinForm1,
    form1::kSize,
    {form1::Explic, form1::Abook, form1::Stk, form1::Versao, form1::Lista, form1::PontosCaption,
     form1::Pontos, form1::lbDes, form1::lbFnd, form1::lbCls},
    {form1::btServ, form1::btConec, form1::btMin, form1::btFim, form1::btJog, form1::btPan,
     form1::btInst, form1::btTroc, form1::btTerm, form1::btDes, form1::btFnd, form1::btCls},
    {
        {"Servidor",
         form1::Abook.place.topLeft(),
         {lobby::Shp3, lobby::Lb3, lobby::ServidorCaption, lobby::Servidor, lobby::NickCaption,
          lobby::Nick, lobby::Lb4, lobby::Label27, lobby::Groups, lobby::Shp2, lobby::Label8,
          lobby::Grupos},
         {lobby::btCjg, lobby::btEnt, lobby::btVrs, lobby::btGrp}},
        {"Desenho",
         form1::Abook.place.topLeft(),
         {phrase::Gallery, phrase::SecretCaption, phrase::Secret, phrase::OkpCaption},
         {phrase::btOkp}},
        {"GalleryPanel",
         form1::Abook.place.topLeft() + phrase::Gallery.place.topLeft(),
         {gallery::Fb1, gallery::Lbox, gallery::Shape1, gallery::BufImg, gallery::G1,
          gallery::LbClub, gallery::LbPexo, gallery::LbHd, gallery::LoginCaption,
          gallery::ClubLogin, gallery::PasswordCaption, gallery::ClubPassword},
         {gallery::btClub, gallery::btPexo, gallery::btHd}},
    },
};

inline const SkinLayout kChatWindow{
    kSkinForm2, form2::kSize, {form2::Chat, form2::Frase, form2::Label29}, {form2::btTentar}, {},
};

inline const SkinLayout kServerWindow{
    kSkinForm3,
    form3::kSize,
    {form3::Lb1, form3::Shp1, form3::Label3, form3::Ips, form3::Label28, form3::Lb29, form3::Label5,
     form3::Jogo, form3::Lb7, form3::Stk},
    {form3::btLig, form3::btAtv, form3::btFechar},
    {},
};

inline const SkinLayout kBrowserWindow{
    kSkinFWeb,
    fweb::kSize,
    {fweb::Panel1, fweb::Lb7, fweb::LbAnt, fweb::LbProx, fweb::Led, fweb::G1},
    {fweb::btPexo, fweb::btAnt, fweb::btProx, fweb::btStop, fweb::btFechar},
    {{"Panel1", fweb::Panel1.place.topLeft(), {fweb::Web1}, {}}},
};

inline const std::vector<const SkinLayout*> kAllSkins{&kMainWindow, &kChatWindow, &kServerWindow,
                                                      &kBrowserWindow};

}  // namespace rabuscal::assets
