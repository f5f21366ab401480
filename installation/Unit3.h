// The make-directory dialog: a new directory below the one current in the directory selection
// dialog, which then moves into it.
#pragma once

#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Label.h"
#include "toolkit/controls/SpeedButton.h"
#include "toolkit/Form.h"

class TForm3 : public TForm {
public:
    TLabel* Label1 = nullptr;
    TEdit* Edit1 = nullptr;
    TSpeedButton* SpeedButton1 = nullptr;
    TSpeedButton* SpeedButton2 = nullptr;

    TForm3();

    void FormActivate(TObject* Sender);
    void SpeedButton1Click(TObject* Sender);
    void SpeedButton2Click(TObject* Sender);
};

extern TForm3* Form3;
