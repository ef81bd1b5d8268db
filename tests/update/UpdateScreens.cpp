// update-screens OUTPUT-FOLDER: pictures of the update windows in each of their states, for
// the documentation. Run with QT_QPA_PLATFORM=offscreen (or under Xvfb).

#include "UpdateTestKit.h"
#include "support/RecordingOperator.h"
#include "support/TempFolder.h"
#include "ui/update/InstallDialog.h"
#include "ui/update/LiveUpdateDialog.h"
#include "ui/update/ReminderDialog.h"

#include <QApplication>
#include <QPushButton>
#include <iostream>

using namespace dilato;

namespace {

void Save(QWidget& window, const QString& folder, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = folder + "/" + name + ".png";
    if (!window.grab().save(path)) std::cerr << "cannot write " << path.toStdString() << "\n";
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::cerr << "usage: update-screens OUTPUT-FOLDER\n";
        return 2;
    }
    const QString out = argv[1];
    test::TempFolder work;
    test::TestSigningKey key;
    LiveUpdateSettings settings{work.path(), "https://www.norvane.com", "1.3.7", key.publicKey()};

    // The control panel, led through its states by a fetcher answered by hand.
    auto panel = [&](const QString& name, const std::function<void(LiveUpdateModel&, test::ScriptedFetcher&)>& lead) {
        test::ScriptedFetcher fetcher;
        LiveUpdateModel model(settings, fetcher);
        LiveUpdateDialog dialog(model);
        lead(model, fetcher);
        model.statusTimerTick();
        dialog.refresh();
        Save(dialog, out, name);
        fetcher.cancel();
    };
    const test::TestRelease newer = test::MakeRelease(key, "1.4.0", {{"dilato_1.4.0_all.deb", "x"}});
    const test::TestRelease same = test::MakeRelease(key, "1.3.7", {{"dilato_1.3.7_all.deb", "x"}});
    auto checkAnswer = [&key](const std::string& versionFile) {
        return [versionFile, &key](LiveUpdateModel& m, test::ScriptedFetcher& f) {
            m.pressMode();
            f.finish(true, versionFile);
            f.finish(true, key.sign(versionFile));
        };
    };
    panel("control-panel-1-idle", [](LiveUpdateModel&, test::ScriptedFetcher&) {});
    panel("control-panel-2-checking", [](LiveUpdateModel& m, test::ScriptedFetcher&) { m.pressMode(); });
    panel("control-panel-3-newer-available", checkAnswer(newer.manifestBytes));
    panel("control-panel-4-downloading", [&](LiveUpdateModel& m, test::ScriptedFetcher& f) {
        checkAnswer(newer.manifestBytes)(m, f);
        m.pressMode();
        for (int i = 0; i < 7; ++i) m.downloadTimerTick();
    });
    panel("control-panel-5-download-complete", [&](LiveUpdateModel& m, test::ScriptedFetcher& f) {
        checkAnswer(newer.manifestBytes)(m, f);
        m.pressMode();
        for (int i = 0; i < 12; ++i) m.downloadTimerTick();
        f.finish(true, newer.archive);
    });
    panel("control-panel-6-most-recent", checkAnswer(same.manifestBytes));
    panel("control-panel-7-invalid-file", checkAnswer(std::string(300, 'x')));
    panel("control-panel-8-unable-to-connect", checkAnswer("<html>Maintenance</html>"));
    panel("control-panel-9-download-failed", [&](LiveUpdateModel& m, test::ScriptedFetcher& f) {
        checkAnswer(newer.manifestBytes)(m, f);
        m.pressMode();
        f.finish(true, "an archive the manifest does not name");
    });

    ReminderModel reminder{true};
    ReminderDialog reminderDialog(reminder);
    Save(reminderDialog, out, "update-reminder");

    test::RecordingOperator op;
    InstallModel install(work.path(), key.publicKey(), op);
    InstallDialog installDialog(install);
    Save(installDialog, out, "install-confirmation-1");
    install.pressYes();
    installDialog.refresh();
    Save(installDialog, out, "install-confirmation-2-yes");
    return 0;
}
