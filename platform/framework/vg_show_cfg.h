// How the graphics view shows objects: sizes, font, colours ("r,g,b" in
// decimal), a percentage, an offset and the resource it applies to.
#pragma once

#include "platform/framework/records.h"
#include "platform/mfc/cstring.h"

struct Struct_VGShowCfg {
    double dValue1 = 36.0;
    double dValue2 = 13.0;
    CString sText1;
    CString sColor1 = "255,0,0";
    CString sText2 = "7";
    CString sColor2 = "140,140,140";
    CString sText3 = "12";
    int nValue = 100;
    double dValue3 = 0.0;
    double dValue4 = 0.0;
    URI_Ref uRsc;
};
