#include "alerts/log_model.h"

namespace korimo::alerts {

std::wstring LogModel::Header() {
    const std::wstring rule(30, L'\u2014');
    return rule + L"\r\n" + L"Korimo日志\r\n" + rule + L"\r\n";
}

} // namespace korimo::alerts
