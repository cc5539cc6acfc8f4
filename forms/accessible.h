#pragma once

namespace forms {

// Makes the forms layer's own widgets known to screen readers; once per
// program, before any window opens.
void InstallAccessibleFactory();

} // namespace forms
