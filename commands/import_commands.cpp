// The import commands of ICD, type-package, LNodeType, ITB and M2I files and
// the name replacement: each hands its file to the importer, which asks for
// the file, writes its report (the name replacement has none) and refreshes
// the views itself.
#include "commands/command_frame.h"

namespace kiln::commands {

// An ICD file as a new ICD of the current product; a new ICD ends in the
// dispatcher's refresh of every view.
Next ImportICDInProduct(CommandFrame& f) {
    f.app.Rsc_ICD_Import(&f.newRsc, f.Current());
    return Next::CommonEnd;
}

// An ICD file as a new ICD outside any product.
Next ImportICD(CommandFrame& f) {
    f.app.Rsc_ICD_Import(&f.newRsc, URI_Ref());
    return Next::CommonEnd;
}

Next ImportTypePackage(CommandFrame& f) {
    f.app.Rsc_TypePackage_Import();
    return Next::CommonEnd;
}

// The LNodeTypes of a file into the current type package.
Next ImportLNodeType(CommandFrame& f) {
    f.app.Rsc_LNodeType_Import(f.Current());
    return Next::CommonEnd;
}

// An ITB file as the information table of the current ICD; the import
// refuses an ICD that has one.
Next ImportITB(CommandFrame& f) {
    f.app.Rsc_ITB_Import(f.Current());
    return Next::CommonEnd;
}

// An M2I file as the mapping of the current ICD; the import refuses an ICD
// that has one.
Next ImportM2I(CommandFrame& f) {
    f.app.Rsc_M2I_Import(f.Current());
    return Next::CommonEnd;
}

// The names of a file replaced in the current ICD or type package, whose
// domain must be editable; the replacement refreshes the views itself.
Next ReplaceName(CommandFrame& f) {
    if (!DomainEditable(f.app, f.Current(), "W0100")) return Next::Leave;
    f.app.Rsc_ReplaceName(f.Current());
    return Next::CommonEnd;
}

// The same over the whole document.
Next ReplaceNameAll(CommandFrame& f) {
    f.app.Rsc_ReplaceName(URI_Ref());
    return Next::CommonEnd;
}

}  // namespace kiln::commands
