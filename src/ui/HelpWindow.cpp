#include "ui/HelpWindow.h"

#include "ui/HelpTopics.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace dilato::ui {

HelpWindow::HelpWindow(const std::string& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      folder_(QString::fromStdString(programFolder) + QString::fromLatin1(kHelpFolder)),
      browser_(new QTextBrowser(this)) {
    setWindowTitle(QStringLiteral("Dilato Help"));
    resize(kWidth, kHeight);

    auto* contents = new QPushButton(QStringLiteral("Contents"), this);
    auto* back = new QPushButton(QStringLiteral("Back"), this);
    auto* forward = new QPushButton(QStringLiteral("Forward"), this);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(contents, &QPushButton::clicked, this,
            [this] { open(QString::fromLatin1(kHelpContentsPage), QStringLiteral("contents")); });
    connect(back, &QPushButton::clicked, browser_, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    // The manual has no links out of the program folder; anything else opens in the browser
    // of the desktop rather than as a blank page here.
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(browser_);
}

void HelpWindow::showTopic(int contextNumber) {
    if (const HelpTopic* topic = FindHelpTopic(contextNumber))
        open(QString::fromLatin1(topic->page), QString::fromLatin1(topic->anchor));
    else
        open(QString::fromLatin1(kHelpContentsPage), QStringLiteral("contents"));
    if (!isVisible()) FitToScreen();
    show();
    raise();
    activateWindow();
}

void HelpWindow::FitToScreen() {
    // The manual's size, made smaller where the screen is, and kept inside it with room for
    // the window manager's title bar.
    const QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect room = s->availableGeometry();
    const QSize size(std::min(kWidth, room.width() - 16), std::min(kHeight, room.height() - 48));
    resize(size);
    const QRect frame(pos(), size + QSize(16, 48));
    if (!room.contains(frame))
        move(room.left() + std::max(0, (room.width() - frame.width()) / 2),
             room.top() + std::max(0, (room.height() - frame.height()) / 2));
}

void HelpWindow::open(const QString& page, const QString& anchor) {
    const QString path = folder_ + page;
    if (!QFileInfo::exists(path)) {
        browser_->setHtml(QStringLiteral("<h2>The operator's manual was not found</h2>"
                                         "<p>Dilato looked for it at <code>%1</code>. "
                                         "Install Dilato again to restore it.</p>")
                              .arg(path.toHtmlEscaped()));
        return;
    }
    QUrl url = QUrl::fromLocalFile(path);
    url.setFragment(anchor);
    browser_->setSource(url);
}

std::unique_ptr<HelpViewer> MakeHelpViewer(const std::string& appFolder, QWidget* parent) {
    // A window of its own, owned by the returned pointer alone: a Qt parent would delete it
    // a second time.
    (void)parent;
    return std::make_unique<HelpWindow>(appFolder);
}

QUrl HelpWindow::currentSource() const { return browser_->source(); }

QString HelpWindow::currentText() const { return browser_->toPlainText(); }

} // namespace dilato::ui
