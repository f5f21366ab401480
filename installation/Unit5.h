// The extraction dialog.
#pragma once

#include "Form.h"

class TForm5 : public TForm {
public:
    TForm5();
};

extern TForm5* Form5;
