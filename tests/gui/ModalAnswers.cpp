#include "ModalAnswers.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>
#include <wx/msgdlg.h>

#include <cxxabi.h>
#include <memory>
#include <typeinfo>

namespace {

std::string ClassName(const wxDialog& dialog) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(dialog).name(), nullptr, nullptr, &status),
                                                std::free);
    return status == 0 ? name.get() : typeid(dialog).name();
}

} // namespace

void ModalAnswers::Answer(int code) {
    answers_.push_back([code](wxDialog&) { return code; });
}

void ModalAnswers::AnswerWith(std::function<int(wxDialog&)> answer) {
    answers_.push_back(std::move(answer));
}

std::vector<std::string> ModalAnswers::Messages() const {
    std::vector<std::string> messages;
    for (const SeenDialog& dialog : seen)
        if (dialog.kind == "message")
            messages.push_back(dialog.message);
    return messages;
}

int ModalAnswers::Enter(wxDialog* dialog) {
    SeenDialog record;
    if (auto* box = dynamic_cast<wxMessageDialogBase*>(dialog)) {
        record.kind = "message";
        record.caption = box->GetCaption().utf8_string();
        record.message = box->GetMessage().utf8_string();
    } else {
        record.kind = ClassName(*dialog);
        record.caption = dialog->GetTitle().utf8_string();
    }
    seen.push_back(record);
    if (answers_.empty()) {
        ADD_FAILURE() << "unexpected modal dialog " << record.kind << ": " << record.message;
        return wxID_CANCEL;
    }
    auto answer = std::move(answers_.front());
    answers_.pop_front();
    return answer(*dialog);
}
