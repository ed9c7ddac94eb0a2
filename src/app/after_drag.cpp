#include "app/after_drag.h"

#include <algorithm>
#include <utility>

#include "filelist/file_list.h"
#include "filelist/missing_prune.h"
#include "win/status_bar.h"
#include "win/thread_returns.h"

namespace app {
namespace {

enum class Goes { Nothing, Gone, All };

// A drop the target answered with "none" and did not report on: a refusal, or a move the target
// made itself without saying so through the data object (not every target says it, and none in
// another process can under Wine). Only the files' absence tells which.
bool Unreported(const dragout::DragOutcome& outcome) {
    return outcome.result == DRAGDROP_S_DROP && outcome.effect == DROPEFFECT_NONE &&
           !(outcome.performedEffect & DROPEFFECT_MOVE);
}

// What a drag took decides what goes. A target that moves the files itself (as a folder window
// does within a drive) answers "none", and may say "move" through the data object; a drop it
// answered so takes off what is gone from its place. A drag given up took nothing.
Goes WhatGoes(AfterDragChoice choice, const dragout::DragOutcome& outcome) {
    if (choice == AfterDragChoice::Keep || outcome.result != DRAGDROP_S_DROP)
        return Goes::Nothing;
    if (Unreported(outcome))
        return Goes::Gone;
    const DWORD done = outcome.effect != DROPEFFECT_NONE
                           ? outcome.effect
                           : outcome.performedEffect & DROPEFFECT_MOVE;
    if (choice == AfterDragChoice::TakeOffMoved)
        return (done & DROPEFFECT_MOVE) ? Goes::Gone : Goes::Nothing;
    return (done & (DROPEFFECT_COPY | DROPEFFECT_MOVE)) ? Goes::All : Goes::Nothing;
}

} // namespace

AfterDragChoice AfterDragChoiceFrom(int number) {
    switch (number) {
    case static_cast<int>(AfterDragChoice::TakeOffMoved):
        return AfterDragChoice::TakeOffMoved;
    case static_cast<int>(AfterDragChoice::TakeOffDragged):
        return AfterDragChoice::TakeOffDragged;
    default:
        return AfterDragChoice::Keep;
    }
}

AfterDrag::AfterDrag(filelist::FileList& list, win::StatusBar& statusBar)
    : list_(list), statusBar_(statusBar), job_(win::ThreadReturns()) {}

std::vector<std::wstring> AfterDrag::HandOver(bool selectedOnly) {
    handed_ = {};
    const bool remember = choice_ != AfterDragChoice::Keep;
    std::vector<std::wstring> paths;
    paths.reserve(selectedOnly ? list_.SelectedCount() : list_.Count());
    for (size_t row = 0; row < list_.Count(); ++row) {
        if (selectedOnly && !list_.IsSelected(row))
            continue;
        paths.push_back(list_.PathAt(row));
        if (remember)
            handed_.stamps.push_back(list_.StampAt(row));
    }
    return paths;
}

void AfterDrag::Ended(const dragout::DragOutcome& outcome) {
    Handed handed = std::move(handed_);
    handed_ = {};
    handed.report = dragout::ReportText(outcome);
    statusBar_.SetText(win::StatusBar::kReportPart, handed.report);
    const Goes goes = WhatGoes(choice_, outcome);
    if (goes == Goes::Nothing || handed.stamps.empty())
        return;
    // Whether the files are gone is read on a worker from the list as it is now: its paths copied
    // one by one, a million of them would hold up the window.
    handed.onlyGone = goes == Goes::Gone;
    if (handed.onlyGone)
        handed.list = list_.Model().Freeze();
    handed.unreported = Unreported(outcome);
    waiting_.push_back(std::move(handed));
    if (!job_.Running())
        StartNext();
}

void AfterDrag::StartNext() {
    if (waiting_.empty())
        return;
    Handed next = std::move(waiting_.front());
    waiting_.pop_front();
    const std::wstring report = next.report;
    const bool unreported = next.unreported;
    progress_ = statusBar_.BeginProgress([this, report] {
        return report + L"（確認中 " + std::to_wstring(std::max(job_.Percent(), 0)) + L"%）";
    });
    // Whether a million files are still there takes a while: the window answers meanwhile.
    job_.Start(
        [stamps = std::move(next.stamps), list = std::move(next.list), onlyGone = next.onlyGone,
         exists = list_.Exists()](win::Progress& progress) {
            std::unordered_set<uint32_t> handed(stamps.begin(), stamps.end());
            return onlyGone ? filelist::GoneStamps(list, &handed, exists, progress) : handed;
        },
        [this, report, unreported](std::unordered_set<uint32_t> gone) {
            TakeOff(report, gone, unreported);
            StartNext();
        });
}

void AfterDrag::TakeOff(const std::wstring& report, const std::unordered_set<uint32_t>& stamps,
                        bool unreported) {
    progress_.End();
    size_t removed = 0;
    if (!stamps.empty()) {
        removed = list_.RemoveStamped(stamps);
        list_.UpdateCountDisplay();
    }
    // A drop answered "none" whose files are all still there was a refusal, and the report says
    // so already; files gone from it were moved by the target.
    if (unreported && removed == 0) {
        statusBar_.SetText(win::StatusBar::kReportPart, report);
        return;
    }
    statusBar_.SetText(win::StatusBar::kReportPart,
                       (unreported ? std::wstring(L"ドロップ先が移動を処理しました") : report) +
                           L"（" + std::to_wstring(removed) + L" 件をリストから外しました）");
}

} // namespace app
