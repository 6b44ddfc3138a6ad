#pragma once
// Numbers of the pictures embedded in the executable. They are fixed: the
// Windows resource script uses the same numbers.
enum resourceId {
    resTracewise = 105,
    resCopyTracewise = 106,
    resRefresh = 107,
    resSplash = 110,
    resZoomIn = 111,
    resZoomOut = 112,
    resZoomSelection = 113,
    resCopyTo = 114,
    resCopyLivecue = 115,
    resConfigure = 116,
    resCasebinder = 117,
    resCopyCasebinder = 118,
    resFind = 119,
    // The program's icon in the sizes window systems ask for.
    resIcon16 = 120,
    resIcon32 = 121,
    resIcon48 = 122,
    resIcon256 = 123,
};
