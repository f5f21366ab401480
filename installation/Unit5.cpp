#include "installation/Unit5.h"

#include "installation/Settings.h"
#include "installation/Unit2.h"
#include "RarResults.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/Gdi.h"
#include "toolkit/ShellFunctions.h"
#include "toolkit/Text.h"

#include <algorithm>
#include <climits>
#include <utility>

TForm5* Form5 = nullptr;
bool InstallAborted = false;

namespace {

// A member's field of 260 characters, up to its first NUL.
std::string FieldText(const char (&field)[260]) {
    return std::string(field, strnlen(field, sizeof field));
}

std::string Cause(int code, unsigned long fileError = 0) {
    if (code == RarCannotCreate && fileError == ERROR_SHARING_VIOLATION)
        return kRarFileInUse;
    const RarResult* result = FindRarResult(code);
    return result ? result->cause : "the archive library reported error " + std::to_string(code);
}

} // namespace

std::string fmtNome(const char* text) {
    std::string_view name(text);
    std::size_t last = FindLastChar(name, "\\");
    return std::string(last == std::string_view::npos ? name : name.substr(last + 1));
}

TForm5::TForm5() : TForm("TForm5") {
    Load(
        {
            {"FormActivate", Method(this, &TForm5::FormActivate)},
            {"SpeedButton1Click", Method(this, &TForm5::SpeedButton1Click)},
            {"SpeedButton2Click", Method(this, &TForm5::SpeedButton2Click)},
            {"RAR1VolumeChange", Method(this, &TForm5::RAR1VolumeChange)},
            {"RAR1Extracting", Method(this, &TForm5::RAR1Extracting)},
            {"RAR1ProcessData", Method(this, &TForm5::RAR1ProcessData)},
            {"RAR1Extract", Method(this, &TForm5::RAR1Extract)},
            {"RAR1Error", Method(this, &TForm5::RAR1Error)},
        },
        {
            Field("Label1", Label1),
            Field("ProgressBar1", ProgressBar1),
            Field("Label2", Label2),
            Field("ProgressBar2", ProgressBar2),
            Field("SpeedButton1", SpeedButton1),
            Field("SpeedButton2", SpeedButton2),
            Field("RAR1", RAR1),
        });
}

void TForm5::FormActivate(TObject*) {
    RAR1->ArchiveName = Settings::ProgramDirectory() + Settings::FILERAR;
    // A run in progress keeps what Cancel asked: an activation in the middle of it (a volume prompt
    // closing, a click on the dialog) must not turn an aborted run into a completed one. A Cancel
    // pressed while no run was going must not end the next run before its first member.
    if (!running_) {
        InstallAborted = false;
        RAR1->Stop = false;
    }
    ProgressBar1->SetPosition(0);
    ProgressBar2->SetMin(0);
    ProgressBar2->SetMax(StrToInt(Settings::FILES) - 1);
    // A run is never started from inside another: Extract waits until the run has returned.
    SpeedButton1->SetEnabled(!running_);
    SpeedButton2->SetEnabled(!running_ || !InstallAborted);
}

void TForm5::SpeedButton1Click(TObject*) {
    SpeedButton1->SetEnabled(false);
    SpeedButton2->SetEnabled(true);
    RAR1->TargetDir = Form2->DirectoryListBox1->Directory();
    SetCaption("Extracting");
    outcome_ = {};
    running_ = true;
    ScopeExit running([this] { running_ = false; });
    RAR1->Extract();
    if (InstallAborted)
        BackToDirectoryDialog();
    else if (outcome_.Failed())
        ReportFailure();
    else
        FinishInstall();
}

void TForm5::SpeedButton2Click(TObject*) {
    Abort();
    if (!running_)
        BackToDirectoryDialog();
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

int TForm5::RAR1VolumeChange(TObject*, char* ArcName, int Mode) {
    if (Mode == RarVolumeAsk && MessageDlg(std::string("Insert the disk with ") + ArcName, mtInformation,
                                           mbOK | mbCancel) == mbCancel) {
        // Without the disk the member cannot be finished: the library abandons it, and the run ends as
        // after Cancel.
        Abort();
        return -1;
    }
    ProgressBar2->SetPosition(ProgressBar2->Position() + 1);
    return 1;
}

void TForm5::RAR1Extracting(TObject*, const RARHeaderData& eFile) {
    if (RAR1->Stop)
        return;
    member_ = FieldText(eFile.FileName);
    Label1->SetCaption("File Name: " + member_);
    memberSize_ = eFile.UnpSize;
    memberDone_ = 0;
    shift_ = 0;
    while ((memberSize_ >> shift_) > static_cast<std::uint32_t>(INT_MAX))
        ++shift_;
    ProgressBar1->SetMin(0);
    ProgressBar1->SetPosition(0);
    ProgressBar1->SetMax(static_cast<int>(memberSize_ >> shift_));
    Application.ProcessMessages();
    Label2->SetCaption("Archive: " + fmtNome(FieldText(eFile.ArcName).c_str()));
}

int TForm5::RAR1ProcessData(TObject*, unsigned char*, int BlockSize, int) {
    // Counted here in 64 bits: the event's position wraps past 2 GiB. Past the size the header can
    // give, the bar stays full.
    memberDone_ += static_cast<std::uint32_t>(BlockSize);
    ProgressBar1->SetPosition(static_cast<int>(std::min<std::uint64_t>(memberDone_ >> shift_, INT_MAX)));
    // Under Wine a look at the message queue is a round trip to its server, as long as unpacking a
    // block of a fast archive: blocks that come within a quarter of a frame of the last look share
    // it. Cancel and painting stay as live as with a look for every block.
    // The member's last block always looks, so that a Cancel given during a member ends the run
    // before the next one. A member too large for the header's field has no known last block: the
    // field then holds its largest value, and every block past it would look.
    auto now = std::chrono::steady_clock::now();
    bool last = memberDone_ >= memberSize_ && memberSize_ != UINT32_MAX;
    if (last || now - lastTurn_ >= std::chrono::milliseconds(TApplication::kFrameMs) / 4) {
        lastTurn_ = now;
        Application.ProcessMessages();
    }
    return 1;
}

void TForm5::RAR1Extract(TObject*, const RARHeaderData& eFile, bool Result) {
    outcome_.started = true;
    if (Result) {
        // The user counts files, not the directories that hold them.
        if ((eFile.Flags & RarDirectory) != RarDirectory) {
            ++outcome_.installed;
            outcome_.lastInstalled = FieldText(eFile.FileName);
        }
        return;
    }
    if (outcome_.failed++ == 0)
        outcome_.firstFailed = FieldText(eFile.FileName);
    outcome_.memberFailing = true;
}

// The component reports a member's failure right after the member; any other error is the archive's
// own: it could not be opened, or a header after the last member could not be read.
void TForm5::RAR1Error(TObject*, int Error) {
    if (std::exchange(outcome_.memberFailing, false)) {
        if (outcome_.failed == 1)
            outcome_.firstFailedCause = Cause(Error, RAR1->FileError);
        return;
    }
    outcome_.archiveCode = Error;
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
