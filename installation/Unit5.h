// The extraction dialog: unpacks the archive into the chosen directory with a bar for the member and
// one for the volumes, asks for missing volumes, and ends the install road.
#pragma once

#include "installation/RARArc.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/ProgressBar.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Form.h"

#include <chrono>
#include <cstdint>

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

    void FormActivate(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
    int RAR1VolumeChange(TObject* Sender, char* ArcName, int Mode);
    void RAR1Extracting(TObject* Sender, const RARHeaderData& eFile);
    int RAR1ProcessData(TObject* Sender, unsigned char* Addr, int BlockSize, int Position);
    void RAR1Extract(TObject* Sender, const RARHeaderData& eFile, bool Result);
    void RAR1Error(TObject* Sender, int Error);

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
extern bool InstallAborted;

// What follows the last backslash of a path, up to its first NUL.
std::string fmtNome(const char* text);
