// nsd2cim: writes the standard type package of IEC 61850 as a CIM-XML domain
// file from the IEC name-space definition (NSD) files of one folder.
//
//   nsd2cim <nsd folder> <output file>
//
// The output depends only on the NSD files, so running it again on the same
// folder gives the same bytes. Nothing is written when the NSD cannot be read
// or refers to something it does not define.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>

#include "tools/nsd2cim/cim_writer.h"
#include "tools/nsd2cim/nsd_reader.h"
#include "tools/nsd2cim/package_builder.h"

using namespace kiln::nsd2cim;

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: nsd2cim <nsd folder> <output file>\n";
        return 2;
    }
    NsdSet nsd;
    std::string error;
    if (!ReadNsdFolder(argv[1], nsd, error)) {
        std::cerr << "nsd2cim: " << error << "\n";
        return 1;
    }
    CimDomain domain;
    if (!BuildStdDomain(nsd, domain, error)) {
        std::cerr << "nsd2cim: the definitions are inconsistent:\n" << error;
        return 1;
    }
    const std::string text = WriteCimXml(domain);
    {
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            std::cerr << "nsd2cim: cannot write " << argv[2] << "\n";
            std::remove(argv[2]);
            return 1;
        }
    }
    std::map<std::string, int> counts;
    for (const CimResource& r : domain.resources) ++counts[r.cls];
    std::cout << "nsd2cim: wrote " << argv[2] << ":";
    for (const auto& [cls, n] : counts) std::cout << " " << n << " " << cls;
    std::cout << "\n";
    return 0;
}
