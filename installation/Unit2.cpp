#include "Unit2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2() : TForm("TForm2") {
    Load({}, {});
}
