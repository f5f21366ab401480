#include "Unit5.h"

TForm5* Form5 = nullptr;

TForm5::TForm5() : TForm("TForm5") {
    Load({}, {});
}
