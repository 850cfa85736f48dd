#include "app/tray_record.h"

namespace korimo::app {

void TrayRecord::StoreNotice(std::wstring_view title, std::wstring_view text, unsigned infoFlags,
                             std::wstring_view tip, bool realtime) {
    notice_.text = FitField(text, kInfoField);
    notice_.title = FitField(title, kInfoTitleField);
    if (!tip.empty()) tip_ = FitField(tip, kTipField);
    notice_.infoFlags = infoFlags;
    notice_.realtime = realtime;
}

NoticePacer::Decision NoticePacer::Arrive(std::uint64_t nowMs) {
    if (waiting_) return {};
    if (!shownOnce_ || nowMs - lastShownMs_ >= kNoticeIntervalMs) {
        shownOnce_ = true;
        lastShownMs_ = nowMs;
        return {true, 0};
    }
    waiting_ = true;
    return {false, static_cast<std::uint32_t>(kNoticeIntervalMs - (nowMs - lastShownMs_))};
}

bool NoticePacer::Due(std::uint64_t nowMs) {
    if (!waiting_) return false;
    waiting_ = false;
    lastShownMs_ = nowMs;
    return true;
}

} // namespace korimo::app
