// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

namespace rabuscal {

class GalleryPanel;
class TForm1;
class WebDwn;

// The main window's web side: the HTTP client `WebDwn`, the gallery on the
// page "Desenho" (its picture is the drawer's template on the board), the
// version check behind `btVrs`, the instructions button `btInst` and the
// instructions page that the first press on the board opens. Pages open in
// the browser window `FWeb`.
class MainWindowWeb {
  public:
    explicit MainWindowWeb(TForm1& form);
    ~MainWindowWeb();
    MainWindowWeb(const MainWindowWeb&) = delete;
    MainWindowWeb& operator=(const MainWindowWeb&) = delete;

    GalleryPanel* Gallery;

  private:
    void btVrsMouseDown();
    void btInstMouseDown();

    TForm1& form_;
    std::unique_ptr<rabuscal::WebDwn> webDwn_;
};

}  // namespace rabuscal
