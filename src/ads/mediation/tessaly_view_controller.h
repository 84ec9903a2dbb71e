// TessalyViewController: a placeholder adapter for a "tessaly" network. Nothing creates it; its
// operations do nothing.
#pragma once

namespace zelvan::mediation {

class TessalyViewController {
public:
    void loadAdView() {}
    void didReceiveMemoryWarning() {}
    void viewDidUnload() {}

    bool errorCaseIsProcessed = false;
    bool successCaseIsProcessed = false;
};

} // namespace zelvan::mediation
