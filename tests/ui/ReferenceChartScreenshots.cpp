// Pictures of the reference chart for the documentation, at 1366 x 768: a year of checks in
// control, and the same with a drifted check out of control.
//   reference_chart_screenshots docs

#include "ReferenceChartHistory.h"

#include "ui/ReferenceChartWindow.h"

#include <QApplication>
#include <QPixmap>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const std::string out = argc > 1 ? std::string(argv[1]) + "/" : std::string("./");
    for (const bool drifted : {false, true}) {
        dilato::ui::ReferenceChartWindow window;
        window.show(dilato::test::ReferenceHistory(drifted));
        window.resize(1366, 768);
        window.QDialog::show();
        app.processEvents();
        const std::string path =
            out + (drifted ? "reference-chart-out-of-control.png" : "reference-chart-in-control.png");
        window.grab().save(QString::fromStdString(path));
        std::printf("wrote %s\n", path.c_str());
    }
    return 0;
}
