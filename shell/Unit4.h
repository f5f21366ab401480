// The information-file viewer.
#pragma once

#include "Form.h"

class TForm4 : public TForm {
public:
    TForm4();

    void FormClick(TObject* Sender);
};

extern TForm4* Form4;
