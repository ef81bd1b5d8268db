#include "ui/HelpViewer.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace dilato::ui {

namespace {

// Opens the manual's page of a topic ("Help/topic-N.html", else the manual's start page) in
// the desktop's browser.
class BrowserHelp final : public HelpViewer {
  public:
    explicit BrowserHelp(std::string appFolder) : appFolder_(std::move(appFolder)) {}
    void showTopic(int contextNumber) override {
        const QString folder = QString::fromStdString(appFolder_) + QStringLiteral("Help/");
        QString page = folder + QStringLiteral("topic-%1.html").arg(contextNumber);
        if (!QFileInfo::exists(page)) page = folder + QStringLiteral("index.html");
        if (QFileInfo::exists(page)) QDesktopServices::openUrl(QUrl::fromLocalFile(page));
    }

  private:
    std::string appFolder_;
};

} // namespace

std::unique_ptr<HelpViewer> MakeHelpViewer(const std::string& appFolder, QWidget* parent) {
    (void)parent;
    return std::make_unique<BrowserHelp>(appFolder);
}

} // namespace dilato::ui
