#pragma once
// The "Graph Save Options" dialog as plain state: the file name box, the image format options
// (0 "BMP", 1 "JPEG"), the "Use White Background" box and the results the caller reads after
// it closes. The Qt dialog maps this state onto its widgets.

#include "platform/Operator.h"

#include <string>

namespace dilato {

struct GraphSaveOptions {
    // On activation: "JPEG" chosen, the name box shows FileName wholly highlighted. The check
    // box keeps its state from one use to the next.
    void Activate();
    // OK: a name of blanks only is refused with a box and the dialog stays open (false);
    // otherwise the results are taken from the controls (the name untrimmed).
    [[nodiscard]] bool Ok(Operator& op);
    void Cancel() { Canceled = true; }

    // Controls.
    std::string nameBox = "file name ..";
    int selectionStart = 0, selectionLength = 0; // highlighted part of the name box
    int imgOption = 1;                           // `optImgType` index chosen
    bool negativeImage = false;                  // `chkBoxNegativeImage`

    // Results.
    std::string FileName;
    int ImgType = 1; // 0 bitmap, 1 JPEG
    bool UseNegImage = false;
    bool Canceled = false;
};

// Shows the dialog modally, owned by the main window, with `fileName` proposed.
class GraphSaveDialog {
  public:
    virtual ~GraphSaveDialog() = default;
    [[nodiscard]] virtual const GraphSaveOptions& Show(const std::string& fileName) = 0;
};

} // namespace dilato
