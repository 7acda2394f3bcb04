#include "assets/asset_names.h"

namespace rabuscal::assets {

const std::array<const char*, 9>& allPictures() {
    static const std::array<const char*, 9> pictures{kSkinForm1, kSkinForm2,   kSkinForm3,
                                                     kSkinFWeb,  kButtonUp1,   kButtonDown1,
                                                     kButtonUp2, kButtonDown2, kWelcome};
    return pictures;
}

}  // namespace rabuscal::assets
