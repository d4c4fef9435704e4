// The two exchange routines the dialogs use: control attachment and text.
#include "framework/CDataExchange.h"

#include "framework/CWnd.h"

void DDX_Control(CDataExchange* exchange, int controlId, CWnd& control) {
    if (control.GetSafeHwnd() != nullptr)
        return;
    HWND item = exchange->dialog->dlgItem(controlId);
    if (item == nullptr || !control.SubclassWindow(item))
        exchange->fail(controlId);
}

void DDX_Text(CDataExchange* exchange, int controlId, std::string& value) {
    HWND item = exchange->dialog->dlgItem(controlId);
    if (item == nullptr) {
        exchange->fail(controlId);
        return;
    }
    if (!exchange->saveAndValidate) {
        ::SetWindowTextA(item, value.c_str());
        return;
    }
    int length = ::GetWindowTextLengthA(item);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(item, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    value = std::move(text);
}
