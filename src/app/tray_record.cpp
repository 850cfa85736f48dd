#include "app/tray_record.h"

namespace korimo::app {

void TrayRecord::StoreNotice(std::wstring_view title, std::wstring_view text, unsigned infoFlags,
                             std::wstring_view tip) {
    notice_.text = FitField(text, kInfoField);
    notice_.title = FitField(title, kInfoTitleField);
    if (!tip.empty()) tip_ = FitField(tip, kTipField);
    notice_.infoFlags = infoFlags;
}

} // namespace korimo::app
