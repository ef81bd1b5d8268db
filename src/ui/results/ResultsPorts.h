#pragma once
// What the Results tab's model reaches outside itself: the store's tests, the desktop that
// opens a report or a folder, and the chart that draws and writes the figures. Each has a real
// adapter and a test one.

#include "results/Catalog.h"
#include "ui/results/ResultsFigures.h"

#include <functional>
#include <string>
#include <vector>

namespace dilato {

class ResultsSource {
  public:
    virtual ~ResultsSource() = default;
    // Throws results::StoreError when the store cannot be read.
    [[nodiscard]] virtual std::vector<results::CatalogTest> Tests() = 0;
    [[nodiscard]] virtual results::CatalogDetail Detail(const std::string& uid) = 0;
    [[nodiscard]] virtual std::vector<results::CatalogReading> Readings(const std::string& uid) = 0;
};

// The store the program opened, asked for each time (it may be opened after the window is
// made); none (no tests) while there is none.
class StoreResultsSource final : public ResultsSource {
  public:
    explicit StoreResultsSource(std::function<results::StoreConnection*()> store)
        : store_(std::move(store)) {}
    std::vector<results::CatalogTest> Tests() override {
        results::StoreConnection* store = store_();
        return store ? results::LoadCatalog(*store) : std::vector<results::CatalogTest>{};
    }
    results::CatalogDetail Detail(const std::string& uid) override {
        results::StoreConnection* store = store_();
        return store ? results::LoadDetail(*store, uid) : results::CatalogDetail{};
    }
    std::vector<results::CatalogReading> Readings(const std::string& uid) override {
        results::StoreConnection* store = store_();
        return store ? results::LoadReadings(*store, uid) : std::vector<results::CatalogReading>{};
    }

  private:
    std::function<results::StoreConnection*()> store_;
};

// Opens a file with the desktop's program for its type, or a folder in the file manager.
class FileOpener {
  public:
    virtual ~FileOpener() = default;
    // False when no program of the desktop takes it.
    [[nodiscard]] virtual bool Open(const std::string& path) = 0;
};

enum class ImageFormat { Png, Pdf, Svg };
[[nodiscard]] const char* ImageExtension(ImageFormat format);

// The chart of the Results tab.
class ResultsCanvas {
  public:
    virtual ~ResultsCanvas() = default;
    virtual void DrawOverlay(const OverlayFigure& figure) = 0;
    virtual void DrawAlpha(const AlphaFigure& figure) = 0;
    // Writes what is drawn; false with `error` set when the file could not be written.
    [[nodiscard]] virtual bool Export(const std::string& path, ImageFormat format,
                                      std::string& error) = 0;
};

} // namespace dilato
