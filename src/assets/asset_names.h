#pragma once

#include <array>

// Resource paths of the game's pictures, compiled in by the rabuscal_assets library.
namespace rabuscal::assets {

inline constexpr char kSkinForm1[] = ":/assets/skin_form1.bmp";  // main window
inline constexpr char kSkinForm2[] = ":/assets/skin_form2.bmp";  // chat window
inline constexpr char kSkinForm3[] = ":/assets/skin_form3.bmp";  // server window
inline constexpr char kSkinFWeb[] = ":/assets/skin_fweb.bmp";    // browser window
inline constexpr char kButtonUp1[] = ":/assets/btup1.bmp";       // face set 1 (green), released
inline constexpr char kButtonDown1[] = ":/assets/btdw1.bmp";     // face set 1, pressed
inline constexpr char kButtonUp2[] = ":/assets/btup2.bmp";       // face set 2 (beige), released
inline constexpr char kButtonDown2[] = ":/assets/btdw2.bmp";     // face set 2, pressed
inline constexpr char kWelcome[] = ":/assets/welcome.bmp";       // the board's first picture

// Every picture above, for code that wants to check or preload them all.
const std::array<const char*, 9>& allPictures();

}  // namespace rabuscal::assets
