#include "installation/Unit5.h"

#include "RarResults.h"
#include "toolkit/Gdi.h"
#include "toolkit/ShellFunctions.h"
#include "toolkit/Text.h"

TForm5* Form5 = nullptr;
bool InstallAborted = false;

std::string TForm5::FieldText(const char (&field)[260]) {
    return std::string(field, strnlen(field, sizeof field));
}

std::string TForm5::Cause(int code, unsigned long fileError) {
    if (code == RarCannotCreate && fileError == ERROR_SHARING_VIOLATION)
        return kRarFileInUse;
    const RarResult* result = FindRarResult(code);
    return result ? result->cause : "the archive library reported error " + std::to_string(code);
}

std::string fmtNome(const char* text) {
    std::string_view name(text);
    std::size_t last = FindLastChar(name, "\\");
    return std::string(last == std::string_view::npos ? name : name.substr(last + 1));
}

TForm5::TForm5() : TForm("TForm5") {
    Load({
        Field("Label1", Label1),
        Field("ProgressBar1", ProgressBar1),
        Field("Label2", Label2),
        Field("ProgressBar2", ProgressBar2),
        Field("SpeedButton1", SpeedButton1),
        Field("SpeedButton2", SpeedButton2),
        Field("RAR1", RAR1),
    });
}

// During a run the dialog stays until the run has returned, with nothing left to press: the
// directory dialog comes back only then, so that no install can be started or resumed meanwhile.
void TForm5::Abort() {
    RAR1->Stop = true;
    InstallAborted = true;
    SpeedButton1->SetEnabled(false);
    SpeedButton2->SetEnabled(false);
}

// Nothing of an incomplete install goes to the shell: the user is told and sent back.
void TForm5::ReportFailure() {
    MessageDlg(Report(), mtWarning, mbOK);
    BackToDirectoryDialog();
}

void TForm5::FinishInstall() {
    Form2->Close();
    Close();
    MessageDlg("Install Completed!", mtInformation, mbOK);
    if (Settings::REG != "NONE")
        ShellOpen(Settings::RegPath);
    ShellOpen(RAR1->TargetDir);
}

void TForm5::BackToDirectoryDialog() {
    SpeedButton1->SetEnabled(true);
    SpeedButton2->SetEnabled(false);
    Close();
    Form2->Show();
    Form2->SetCaption("Install Aborted!");
}

std::string TForm5::Report() const {
    const Outcome& o = outcome_;
    if (!o.started && o.archiveCode != RarBadData && o.archiveCode != RarUnknownFormat)
        return "Can`t load file " + Settings::FILERAR;
    std::string text;
    if (o.failed > 0)
        text = "The file " + o.firstFailed + " could not be installed: " + o.firstFailedCause +
               ". Files that failed: " + std::to_string(o.failed) + ".";
    if (o.archiveCode != 0) {
        std::string where = o.installed > 0 ? " after the file " + o.lastInstalled : "";
        std::string what = o.archiveCode == RarBadData
                               ? "The archive is damaged" + where
                               : "The archive could not be read" + where + ": " + Cause(o.archiveCode);
        text += (text.empty() ? "" : "\n") + what + ". Files installed: " + std::to_string(o.installed) + ".";
    }
    return text;
}
