#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStringList>
#include <QtTest/QTest>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/settings.h"
#include "core/utils.h"
#include "support/temp_dir.h"
#include "ui/edl_viewer.h"
#include "ui/gui_wait.h"

namespace vemo::test {

// Three CMX-style events: source in/out 1-2, 3-4 and 5-6 minutes.
inline const std::string kThreeEvents =
    "TITLE: THREE\r\n"
    "FCM: NON-DROP FRAME\r\n"
    "\r\n"
    "001  AX       V     C        00:01:00:00 00:02:00:00 01:00:00:00 01:01:00:00\r\n"
    "002  AX       V     C        00:03:00:00 00:04:00:00 01:01:00:00 01:02:00:00\r\n"
    "003  AX       V     C        00:05:00:00 00:06:00:00 01:02:00:00 01:03:00:00\r\n";

inline const std::string kHeader = "PIONEER-DVDRec-EDL 001";
inline const std::string kRec1 = "000 REC 00:01:00:00 00:02:00:00 ";
inline const std::string kRec2 = "000 REC 00:03:00:00 00:04:00:00 ";
inline const std::string kRec3 = "000 REC 00:05:00:00 00:06:00:00 ";

// EDL maker windows over real files in a temporary folder, each opened with the settings a
// test has set.
class EdlViewerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        settings.name = " Vemo";
        dir.write("three.edl", kThreeEvents);
    }
    void TearDown() override {
        for (QPointer<ui::EDLViewer>& w : windows)
            delete w.data();
    }

    ui::EDLViewer* open() {
        auto* w = new ui::EDLViewer(settings);
        w->showError = [this](const std::string& text) { failures.push_back(text); };
        windows.emplace_back(w);
        return w;
    }
    // The next dialogs of the window pick these names in the temporary folder (empty: cancel).
    void answer(ui::EDLViewer* w, std::vector<std::string> names) {
        auto queue = std::make_shared<std::vector<std::string>>(std::move(names));
        std::string folder = dir.path().string();
        w->chooser = [queue, folder](QWidget*, ui::FileDialogMode, const QString&,
                                     const std::string&,
                                     const ui::RecentFiles*) -> std::optional<ui::FileChoice> {
            if (queue->empty() || queue->front().empty()) {
                if (!queue->empty())
                    queue->erase(queue->begin());
                return std::nullopt;
            }
            ui::FileChoice choice{folder, queue->front()};
            queue->erase(queue->begin());
            return choice;
        };
    }
    void load(ui::EDLViewer* w, const std::string& name = "three.edl") {
        answer(w, {name});
        click(w, "bload");
    }
    void save(ui::EDLViewer* w, const std::string& name = "out.edl") {
        answer(w, {name});
        click(w, "bsave");
    }

    template <typename T>
    static T* child(ui::EDLViewer* w, const char* name) {
        T* found = w->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    static void click(ui::EDLViewer* w, const char* button) {
        QTest::mouseClick(child<QPushButton>(w, button), Qt::LeftButton);
    }
    static QCheckBox* box(ui::EDLViewer* w, const char* name) { return child<QCheckBox>(w, name); }
    static void toggle(ui::EDLViewer* w, const char* name) {
        QTest::mouseClick(box(w, name), Qt::LeftButton);
    }
    // The lines of an area, without the empty one after the last line end.
    static std::vector<std::string> lines(ui::EDLViewer* w, const char* area) {
        std::vector<std::string> out;
        const QString text = child<QPlainTextEdit>(w, area)->toPlainText();
        for (const QString& line : text.split(QLatin1Char('\n')))
            out.push_back(line.toStdString());
        while (!out.empty() && out.back().empty())
            out.pop_back();
        return out;
    }
    static std::vector<std::string> output(ui::EDLViewer* w) { return lines(w, "outarea"); }
    static std::string source(ui::EDLViewer* w) {
        return child<QPlainTextEdit>(w, "textarea")->toPlainText().toStdString();
    }

    core::Settings settings;  // the next window's
    TempDir dir;
    std::vector<QPointer<ui::EDLViewer>> windows;
    std::vector<std::string> failures;  // what the failure dialogs showed
};

}  // namespace vemo::test
