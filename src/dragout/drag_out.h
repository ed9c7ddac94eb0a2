// One drag of listed files out of the program, and what became of it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

namespace dragout {

// What a drag did, as the drag loop and the drop target report it.
struct DragOutcome {
    size_t files = 0;
    HRESULT result = S_OK;     // DoDragDrop's answer: DRAGDROP_S_DROP, DRAGDROP_S_CANCEL, ...
    DWORD effect = 0;          // the effect DoDragDrop gave back
    DWORD performedEffect = 0; // "Performed DropEffect" or "Paste Succeeded" set by the target
};

// The report line for the status bar: "N 件をコピーしました", "N 件を移動しました",
// "ドロップ先が移動を処理しました" or "ドラッグを取り消しました".
std::wstring ReportText(const DragOutcome& outcome);

// Names the paths to the shell and runs one drag offering exactly allowedEffect (a copy or a
// move). Throws win::Error as CreateFilesDataObject does; no drag then.
DragOutcome DragFiles(const std::vector<std::wstring>& paths, IDropSource& source,
                      DWORD allowedEffect);

} // namespace dragout
