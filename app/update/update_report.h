// What an update run tells about its device: the progress page implements
// this, so that the engine writes into the device's row (progress, status,
// bytes, remaining time) and shows its messages through the page.
#pragma once

#include "platform/base/cstring.h"
#include "platform/base/win_types.h"

class CUpdateReport
{
public:
    virtual ~CUpdateReport() = default;

    // MSG_UPDATE_PROGRESS for the device: a percent 0..100, or -1 = failed.
    virtual void SendProgress(int index, int percent) = 0;
    // The "Status" text of the device's row.
    virtual void SetStatusText(int index, const CString& text) = 0;
    // The "Bytes" column and the remaining-time estimate while loading.
    virtual void UpdateTransferInfo(DWORD bytes, DWORD total, int index) = 0;
    // The device's remaining seconds: -1 = nothing to show, -2 = recording.
    virtual void SetRemainingTime(int index, int seconds) = 0;
    // A failed run: acts only when show is 1 (a silent run's caller reports
    // the failure itself).
    virtual void ReportError(const CString& text, int index, int show) = 0;
    // A modal message with an OK button, shown on the worker's thread.
    virtual void ShowMessageBox(const CString& text) = 0;
};
