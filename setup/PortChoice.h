#pragma once
// Results of the port choice dialog's DoModal besides IDOK, IDCANCEL and -1.

enum PortChoice : int {
    PORT_PARALLEL = 76,  // 'L'
    PORT_USB = 85,       // 'U'
};
