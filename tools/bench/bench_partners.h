// The restore's partners as the benchmarks run it: the arrangement before kept in a
// store of the benchmark's (as the dialog keeps it), and, where asked, the shell's view
// object told through the same commit the worker uses.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "desktop/access/view_session.h"
#include "desktop/restore/restore_logic.h"
#include "store/layout_store.h"

class BenchPartners : public restore::Partners {
public:
    // `snapshots`: where the reading is kept under `title` (null: accepted, not kept).
    explicit BenchPartners(bool withViewObject, CLayoutStore* snapshots = nullptr,
                           std::string title = "(before)")
        : m_snapshots(snapshots), m_title(std::move(title)) {
        if (withViewObject) m_commit = std::make_unique<desktop::ViewSession>();
    }

    std::atomic<int32_t>* Progress() { return m_commit ? m_commit->Progress() : nullptr; }
    size_t Told() const { return m_told; }
    // How long the hand-over of the placed icons waited for the view object, in ms.
    double HandOverMs() const { return m_handOverMs; }

    void StopShellArranging() override {}
    bool KeepBefore(const std::vector<desktop::ReadIcon>& icons) override {
        if (!m_snapshots) return true;
        CLayoutStore& store = *m_snapshots;
        for (int k = store.FindTitle(m_title.c_str()); k >= 0; k = store.FindTitle(m_title.c_str()))
            store.RemoveLayout(k);
        const int index = store.GetCount();
        store.SetTitle(index, m_title.c_str());
        for (const desktop::ReadIcon& icon : icons) {
            store.AddIconXY(index, icon.x, icon.y, icon.name.c_str());
            if (!icon.path.empty())
                store.SetIconPath(index, store.GetIconCount(index) - 1, icon.path);
        }
        return true;
    }
    std::vector<std::wstring> ParsingNames(const std::vector<desktop::ReadIcon>& icons,
                                           bool wait) override {
        if (!m_commit) return {};
        return m_commit->ParsingNames(icons, wait ? desktop::kViewSessionWaitMs : 0);
    }
    void Planned(const std::vector<int>& steady) override {
        if (m_commit) m_commit->Planned(steady);
    }
    void Placed(std::vector<desktop::PlacedIcon> icons) override {
        if (!m_commit) return;
        const auto start = std::chrono::steady_clock::now();
        m_told = m_commit->HandOver(std::move(icons));
        m_handOverMs =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
    }

private:
    CLayoutStore* m_snapshots;
    std::string m_title;
    std::unique_ptr<desktop::ViewSession> m_commit;
    size_t m_told = 0;
    double m_handOverMs = 0;
};

// One restore of `layout` as the worker runs it; returns how many icons the view object
// took.
inline size_t BenchRestore(desktop::Desktop& desk, const CLayoutStore& store, int layout,
                           int32_t mode, desktop::Scheme scheme, const std::atomic<int32_t>& abort,
                           const std::atomic<int32_t>& speed, bool withViewObject = false,
                           CLayoutStore* snapshots = nullptr) {
    BenchPartners partners(withViewObject, snapshots);
    restore::RestoreJob job{store, layout, mode, scheme, abort, speed};
    job.progress = partners.Progress();
    restore::RunRestore(desk, job, partners);
    return partners.Told();
}
