#include "ui/plot/GraphSaveOptions.h"

namespace dilato {

void GraphSaveOptions::Activate() {
    imgOption = 1;
    nameBox = FileName;
    selectionStart = 0;
    selectionLength = static_cast<int>(nameBox.size());
}

bool GraphSaveOptions::Ok(Operator& op) {
    if (nameBox.find_first_not_of(" \t") == std::string::npos) {
        ShowMessage(op, "Please enter a filename to save to!", kProgramTitle,
                    MessageIcon::Exclamation);
        return false;
    }
    FileName = nameBox;
    ImgType = imgOption;
    UseNegImage = negativeImage;
    Canceled = false;
    return true;
}

} // namespace dilato
