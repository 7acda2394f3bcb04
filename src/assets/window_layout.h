#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

// Where the controls of each window sit on its skin. The skins leave room for
// them, and every one of them must lie inside the window's outline.
namespace rabuscal::assets {

struct SkinLayout {
    const char* file;
    QSize size;
    std::vector<QRect> fields;    // edit fields, lists, labels, lamps, page areas
    std::vector<QPoint> buttons;  // top-left corners of the 42 x 20 image buttons
};

inline constexpr QSize kButtonSize{42, 20};

inline const SkinLayout kMainWindow{
    "skin_form1.bmp",
    {691, 362},
    {
        {229, 67, 450, 264},  // Abook
        {235, 340, 336, 15},  // Stk
        {425, 29, 131, 14},   // Explic
        {177, 77, 15, 14},    // Versao
        {74, 95, 126, 153},   // Lista
        {7, 163, 65, 16},     // Pontos
        {7, 147, 50, 14},     // "Pontos:" above it
        {84, 273, 76, 56},    // "Definir frase:", "Fundo vis:", "Limpar:"
    },
    {{290, 26},
     {335, 26},
     {560, 26},
     {605, 26},  // btServ btConec btMin btFim
     {577, 338},
     {627, 338},  // btJog btPan
     {23, 120},
     {23, 190},
     {23, 210},  // btInst btTroc btTerm
     {163, 271},
     {163, 291},
     {163, 311}},  // btDes btFnd btCls
};

inline const SkinLayout kChatWindow{
    "skin_form2.bmp",
    {474, 268},
    {
        {12, 12, 450, 207},  // Chat
        {19, 229, 347, 32},  // Frase
        {419, 241, 45, 14},  // Label29 "Tentar..."
    },
    {{372, 239}},  // btTentar
};

inline const SkinLayout kServerWindow{
    "skin_form3.bmp",
    {376, 122},
    {
        {72, 16, 78, 14},    // Lb1
        {15, 19, 10, 10},    // Shp1
        {220, 15, 14, 15},   // Label3 "IP:"
        {240, 15, 116, 15},  // Ips
        {211, 32, 23, 15},   // Label28 "Qtc:"
        {240, 32, 46, 15},   // Lb29
        {15, 72, 88, 14},    // Label5 "Nome do grupo:"
        {107, 70, 154, 18},  // Jogo
        {312, 71, 32, 14},   // Lb7
        {16, 100, 295, 15},  // Stk
    },
    {{28, 14}, {267, 69}, {316, 98}},  // btLig btAtv btFechar
};

inline const SkinLayout kBrowserWindow{
    "skin_fweb.bmp",
    {570, 320},
    {
        {12, 12, 546, 277},  // Panel1
        {66, 299, 80, 14},   // Lb7 "PEXO online"
        {208, 299, 16, 14},  // "<<"
        {315, 299, 16, 14},  // ">>"
        {440, 304, 10, 5},   // Led
        {455, 304, 50, 5},   // G1
    },
    {{21, 296}, {226, 296}, {271, 296}, {391, 296}, {511, 296}},  // btPexo btAnt btProx btStop
                                                                  // btFechar
};

inline const std::vector<const SkinLayout*> kAllSkins{&kMainWindow, &kChatWindow, &kServerWindow,
                                                      &kBrowserWindow};

}  // namespace rabuscal::assets
