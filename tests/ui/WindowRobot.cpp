#include "WindowRobot.h"

#include "support/TempFolder.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryFile>
#include <QTest>

#include <cstdlib>

namespace dilato::test {

void UseScreenSize(int width, int height) {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && platform != "offscreen") return;
    const QString file =
        QDir::temp().filePath(QStringLiteral("dilato-screen-%1x%2.json").arg(width).arg(height));
    QFile json(file);
    if (json.open(QIODevice::WriteOnly | QIODevice::Truncate))
        json.write(
            QStringLiteral(
                R"({"screens":[{"name":"Screen","x":0,"y":0,"width":%1,"height":%2,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})")
                .arg(width)
                .arg(height)
                .toUtf8());
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + file).toUtf8());
}

void Click(QWidget* widget) {
    if (!widget) return;
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

void Type(QWidget* field, const QString& text) {
    Click(field);
    QTest::keyClicks(field, text);
}

void Retype(QLineEdit* field, const QString& text, bool enter) {
    Click(field);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
    if (enter) QTest::keyClick(field, Qt::Key_Return);
}

QPushButton* Button(const char* name) {
    return Find<QPushButton>(QString::fromLatin1(name));
}

QString Lights() {
    QStringList set;
    for (int i = 1; i <= 3; ++i)
        if (auto* light = Find<QLabel>(QStringLiteral("ShapeTestStage%1").arg(i)))
            set << light->property("light").toString();
    return set.join(QLatin1Char(' '));
}

QString Status() {
    auto* status = Find<QLabel>(QStringLiteral("TestStatus0"));
    return status ? status->text() : QString();
}

bool QuestionShown() {
    auto* question = Find<QWidget>(QStringLiteral("frmTerminateTest"));
    return question && question->isVisible();
}

QString QuestionNote(int i) {
    auto* note = Find<QLabel>(QStringLiteral("lblSaveOrNot%1").arg(i));
    return note ? note->text() : QString();
}

void RegisterPdfViewer(const TempFolder& dir) {
    dir.write("xdg/data/applications/mimeinfo.cache",
              "[MIME Cache]\napplication/pdf=viewer.desktop;\n");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("xdg/data")));
    qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dir.file("xdg/none")));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(dir.file("xdg/config")));
    qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(dir.file("xdg/none")));
}

bool WaitFor(const std::function<bool()>& done, double seconds) {
    return QTest::qWaitFor(done, static_cast<int>(seconds * 1000));
}

void Screenshot(QWidget* widget, const QString& name) {
    const QByteArray folder = qgetenv("DILATO_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromUtf8(folder));
    QCoreApplication::processEvents();
    const QPixmap picture =
        widget ? widget->window()->grab() : QGuiApplication::primaryScreen()->grabWindow(0);
    picture.save(QDir(QString::fromUtf8(folder)).filePath(name + QStringLiteral(".png")));
}

WindowRobot::WindowRobot() {
    last_ = std::chrono::steady_clock::now();
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start(10);
}

WindowRobot::~WindowRobot() {
    timer_.stop();
}

void WindowRobot::Look() {
    const auto now = std::chrono::steady_clock::now();
    longestBlock =
        std::max(longestBlock, std::chrono::duration_cast<std::chrono::milliseconds>(now - last_));
    last_ = now;
    NoteLooks();
    for (size_t i = 0; i < actions_.size(); ++i) {
        if (!actions_[i].ready()) continue;
        const auto act = std::move(actions_[i].act);
        actions_.erase(actions_.begin() + static_cast<std::ptrdiff_t>(i));
        act();
        return; // the action may have opened or closed windows: look again next time
    }
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || acting_) return;
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        const QString text = box->windowTitle() + QStringLiteral(": ") + box->text();
        boxes << text;
        if (onBox) onBox(text);
        // Answered once this look is over: the answer may open the next window.
        QPointer<QPushButton> button = box->defaultButton();
        if (answer)
            if (const auto chosen = answer(text); chosen != QMessageBox::NoButton)
                button = qobject_cast<QPushButton*>(box->button(chosen));
        acting_ = true;
        QTimer::singleShot(0, [this, button] {
            acting_ = false;
            Click(button);
        });
        return;
    }
    QPointer<QWidget> window = modal;
    if (modal->objectName() == QLatin1String("frmSystemWarnings") && answerWarnings) {
        acting_ = true;
        QTimer::singleShot(0, [this, window] {
            acting_ = false;
            if (!window) return;
            for (int i = 1; i <= 6; ++i)
                if (auto* check = window->findChild<QCheckBox*>(QStringLiteral("Check%1").arg(i)))
                    if (!check->isChecked()) Click(check);
            Click(window->findChild<QPushButton*>(QStringLiteral("SonicClickContinueBtn")));
        });
    } else if (modal->objectName() == QLatin1String("frmSystemCOMError") && answerComSettings) {
        acting_ = true;
        QTimer::singleShot(0, [this, window] {
            acting_ = false;
            if (window) Click(window->findChild<QPushButton*>(QStringLiteral("SonicClickOKBtn")));
        });
    } else if (modal->objectName() == QLatin1String("frmSystemVideoModeWarning")) {
        acting_ = true;
        QTimer::singleShot(0, [this, window] {
            acting_ = false;
            if (window) Click(window->findChild<QPushButton*>(QStringLiteral("SonicClickOKBtn")));
        });
    }
}

void WindowRobot::When(std::function<bool()> ready, std::function<void()> act) {
    actions_.push_back({std::move(ready), std::move(act)});
}

void WindowRobot::NoteLooks() {
    auto* status = Find<QLabel>(QStringLiteral("TestStatus0"));
    if (!status) return;
    if (status->isVisible() && (statuses.isEmpty() || statuses.back() != status->text()))
        statuses << status->text();
    QStringList set;
    for (int i = 1; i <= 3; ++i)
        if (auto* l = Find<QLabel>(QStringLiteral("ShapeTestStage%1").arg(i)))
            set << l->property("light").toString();
    const QString joined = set.join(QLatin1Char(' '));
    if (lights.isEmpty() || lights.back() != joined) lights << joined;
}

} // namespace dilato::test
