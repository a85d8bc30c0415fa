#pragma once
// Answers the modal dialogs the program opens, as a user would, and records each one. A dialog nobody scripted an
// answer for fails the test and is cancelled, so no test can hang on a box nobody sees.

#include <wx/modalhook.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
    std::string kind;    // "message" for message boxes, otherwise the dialog's class, e.g. "CAdvanceDlg"
    std::string caption; // UTF-8
    std::string message; // UTF-8, message boxes only
};

class ModalAnswers : public wxModalDialogHook {
public:
    ModalAnswers() { Register(); }

    // Answers the next modal dialog with this return code (wxID_OK, wxYES, wxNO, ...).
    void Answer(int code);
    // Lets the test act on the next dialog (fill in controls, press buttons) and return its code.
    void AnswerWith(std::function<int(wxDialog&)> answer);

    std::vector<SeenDialog> seen;
    std::vector<std::string> Messages() const;
    bool AllAnswered() const { return answers_.empty(); }

protected:
    int Enter(wxDialog* dialog) override;
    void Exit(wxDialog*) override {}

private:
    std::deque<std::function<int(wxDialog&)>> answers_;
};
