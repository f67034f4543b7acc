// The document's EP file: an XML document of the framework, copied and
// assigned like any CBase_XML (a copy shares the loaded document).
#pragma once

#include "platform/xml/base_xml.h"

class CXML_Cim_Ep : public CBase_XML {
public:
    CXML_Cim_Ep() = default;
    CXML_Cim_Ep(const CXML_Cim_Ep&) = default;
    CXML_Cim_Ep& operator=(const CXML_Cim_Ep&) = default;
};
