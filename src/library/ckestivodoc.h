// The library window's document. The library itself lives in the settings object and is saved
// with it, so the document holds, reads and writes nothing; it marks that a library window is
// open, which the main frame's menus follow.
#pragma once

class CKestivoDoc {
public:
    bool OnNewDocument() { return true; }
};
