// The document's modified mark and the window title that shows it; both the
// commands and the property pane change the document through here.
#pragma once

namespace lumaset {

// Sets the modified flag; the title follows when the flag was clear.
void markModified();
// The main window's title from the document path and the modified flag.
void updateTitle();

}  // namespace lumaset
