// The program's message box.
#include "app/AppMessageBoxDlg.h"

#include "app/resource.h"

namespace {

// A multi-line edit breaks lines only at "\r\n"; an existing "\r\n" becomes "\r\r\n".
std::string withDialogLineBreaks(const char* text) {
    std::string converted;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c == '\n')
            converted += '\r';
        converted += *c;
    }
    return converted;
}

} // namespace

AppMessageBoxDlg::AppMessageBoxDlg(std::string text)
    : CDialog(IDD_APP_MESSAGE_BOX), messageText(std::move(text)) {}

void AppMessageBoxDlg::DoDataExchange(CDataExchange* exchange) {
    CDialog::DoDataExchange(exchange);
    DDX_Control(exchange, IDOK, okButton);
    DDX_Text(exchange, IDC_MESSAGE_TEXT, messageText);
}

INT_PTR AppMessageBoxDlg::run(const char* text) {
    AppMessageBoxDlg box(withDialogLineBreaks(text != nullptr ? text : ""));
    return box.DoModal();
}

void showAppMessage(const char* text) {
    AppMessageBoxDlg::run(text);
}
