// The extraction dialog: unpacks the archive into the chosen directory with a bar for the member and
// one for the volumes, asks for missing volumes, and ends the install road.
#pragma once

#include "installation/RARArc.h"
#include "installation/Settings.h"
#include "installation/Unit2.h"
#include "toolkit/Application.h"
#include "toolkit/Dialogs.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/ProgressBar.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Form.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <utility>

// Set by Cancel, or by a volume prompt cancelled, for the run in progress.
extern bool InstallAborted;

// What follows the last backslash of a path, up to its first NUL.
std::string fmtNome(const char* text);

class TForm5 : public TForm {
public:
    TLabel* Label1 = nullptr;
    TProgressBar* ProgressBar1 = nullptr;
    TLabel* Label2 = nullptr;
    TProgressBar* ProgressBar2 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;
    TRAR* RAR1 = nullptr;

    TForm5();

    HANDLER(void, FormActivate)(TObject*) {
        RAR1->ArchiveName = Settings::ProgramDirectory() + Settings::FILERAR;
        // A run in progress keeps what Cancel asked: an activation in the middle of it (a volume
        // prompt closing, a click on the dialog) must not turn an aborted run into a completed one. A
        // Cancel pressed while no run was going must not end the next run before its first member.
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

    // Extract.
    HANDLER(void, SpeedButton1Click)(TObject*) {
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

    // Cancel.
    HANDLER(void, SpeedButton2Click)(TObject*) {
        Abort();
        if (!running_)
            BackToDirectoryDialog();
    }

    HANDLER(int, RAR1VolumeChange)(TObject*, char* ArcName, int Mode) {
        if (Mode == RarVolumeAsk && MessageDlg(std::string("Insert the disk with ") + ArcName, mtInformation,
                                               mbOK | mbCancel) == mbCancel) {
            // Without the disk the member cannot be finished: the library abandons it, and the run
            // ends as after Cancel.
            Abort();
            return -1;
        }
        ProgressBar2->SetPosition(ProgressBar2->Position() + 1);
        return 1;
    }

    HANDLER(void, RAR1Extracting)(TObject*, const RARHeaderData& eFile) {
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

    HANDLER(int, RAR1ProcessData)(TObject*, unsigned char*, int BlockSize, int) {
        // Counted here in 64 bits: the event's position wraps past 2 GiB. Past the size the header
        // can give, the bar stays full.
        memberDone_ += static_cast<std::uint32_t>(BlockSize);
        ProgressBar1->SetPosition(static_cast<int>(std::min<std::uint64_t>(memberDone_ >> shift_, INT_MAX)));
        // Under Wine a look at the message queue is a round trip to its server, as long as unpacking
        // a block of a fast archive: blocks that come within a quarter of a frame of the last look
        // share it. Cancel and painting stay as live as with a look for every block.
        // The member's last block always looks, so that a Cancel given during a member ends the run
        // before the next one. A member too large for the header's field has no known last block:
        // the field then holds its largest value, and every block past it would look.
        auto now = std::chrono::steady_clock::now();
        bool last = memberDone_ >= memberSize_ && memberSize_ != UINT32_MAX;
        if (last || now - lastTurn_ >= std::chrono::milliseconds(TApplication::kFrameMs) / 4) {
            lastTurn_ = now;
            Application.ProcessMessages();
        }
        return 1;
    }

    HANDLER(void, RAR1Extract)(TObject*, const RARHeaderData& eFile, bool Result) {
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

    // The component reports a member's failure right after the member; any other error is the
    // archive's own: it could not be opened, or a header after the last member could not be read.
    HANDLER(void, RAR1Error)(TObject*, int Error) {
        if (std::exchange(outcome_.memberFailing, false)) {
            if (outcome_.failed == 1)
                outcome_.firstFailedCause = Cause(Error, RAR1->FileError);
            return;
        }
        outcome_.archiveCode = Error;
    }

private:
    // What a run did, for the one warning it gives when it went wrong.
    struct Outcome {
        bool started = false; // a member was processed
        int installed = 0;    // files, not directories
        std::string lastInstalled;
        int failed = 0; // members that could not be installed
        std::string firstFailed;
        std::string firstFailedCause;
        bool memberFailing = false; // the next error is the member's that just failed
        int archiveCode = 0;        // an error of the archive itself, not of one member
        bool Failed() const { return failed > 0 || archiveCode != 0; }
    };

    // A member's field of 260 characters, up to its first NUL.
    static std::string FieldText(const char (&field)[260]);
    // The user's words for a result of the library.
    static std::string Cause(int code, unsigned long fileError = 0);
    void ReportFailure();
    void FinishInstall();
    // Asks the run in progress to end before its next member, and leaves nothing to press until it has.
    void Abort();
    // Closes this dialog for the directory dialog, which says that the install was aborted.
    void BackToDirectoryDialog();
    std::string Report() const;

    bool running_ = false;
    Outcome outcome_;
    std::string member_;
    // The member's size as the 32-bit field gives it, and how far to shift byte counts so that the
    // bar's range fits a signed 32-bit value.
    std::uint32_t memberSize_ = 0;
    int shift_ = 0;
    std::uint64_t memberDone_ = 0;
    // When the user interface last had its turn during a member's data.
    std::chrono::steady_clock::time_point lastTurn_{};
};

extern TForm5* Form5;
