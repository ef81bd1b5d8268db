#pragma once
// The help window: the operator's manual from the program folder's "Help/" in a browser with
// Contents, Back and Forward. One window serves the whole program; asking for a topic shows
// it and brings the window to the front.

#include "ui/HelpViewer.h"

#include <QWidget>

#include <string>

class QTextBrowser;
class QUrl;

namespace dilato::ui {

class HelpWindow : public QWidget, public HelpViewer {
  public:
    // programFolder: the folder that holds "Help/" (the program's AppFolder).
    explicit HelpWindow(const std::string& programFolder, QWidget* parent = nullptr);

    // Shows the topic of the context number; a number the manual does not know shows the
    // contents page.
    void showTopic(int contextNumber) override;

    // The page and anchor now shown (for the window's own tests).
    [[nodiscard]] QUrl currentSource() const;
    [[nodiscard]] QString currentText() const;

  private:
    void open(const QString& page, const QString& anchor);
    void FitToScreen();
    static constexpr int kWidth = 820, kHeight = 640;

    QString folder_;
    QTextBrowser* browser_;
};

} // namespace dilato::ui
