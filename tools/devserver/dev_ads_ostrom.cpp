// The Ostrom banner network on the ad host: the XML ad request answered by ad space, the ad images and
// the ads' landing page.
#include <string>

#include "platform/foundation/log.h"
#include "tools/devserver/dev_ads_server.h"

namespace zelvan::devserver {
namespace {

std::string adElement(const std::string& root, int number, bool withLink, bool withClick = true) {
    const std::string n = std::to_string(number);
    return "<ad id=\"ad-" + n + "\" type=\"IMG\">" +
           (withLink ? "<link>" + root + "/ostrom/img/" + n + ".png</link>" : "") +
           (withClick ? "<action target=\"" + root + "/ostrom/landing?ad=" + n + "\"/>" : "") + "</ad>";
}

bool answerOstrom(const DevAdsRequest& request, DevAdsResponse& response) {
    const std::string root = "http://" + request.header("Host");
    if (request.path == "/ostrom/oapi/reqAd.jsp") {
        const std::string space = request.param("adspace");
        ZLOG(Info, "devads: ostrom ad request (space '%s', user '%s')", space, request.param("user"));
        response.status = 200;
        response.contentType = "text/xml; charset=utf-8";
        if (space == "500") {
            response.status = 500;
            response.contentType = "text/plain";
            response.body = "server error";
        } else if (space == "error") {
            response.body = "<response><error code=\"204\" desc=\"No ad available\"/></response>";
        } else if (space == "nolink") {
            response.body = "<response><user id=\"abc\"/><ads>" + adElement(root, 1, false) + "</ads></response>";
        } else if (space == "notxml") {
            response.body = "no ad today";
        } else if (space == "noclick") {
            response.body = "<response><user id=\"abc\"/><ads>" + adElement(root, 4, true, false) + "</ads></response>";
        } else if (space == "repeated") {
            response.body = "<response><user id=\"abc\"/><ads>" + adElement(root, 2, true) + adElement(root, 3, true) +
                            "</ads></response>";
        } else {
            response.body = "<response><user id=\"abc\"/><ads>" + adElement(root, 1, true) + "</ads></response>";
        }
        return true;
    }
    if (request.path.starts_with("/ostrom/img/") && request.path.ends_with(".png")) {
        response.status = 200;
        response.contentType = "image/png";
        response.body = greyPixelPng();
        return true;
    }
    if (request.path == "/ostrom/landing") {
        response.status = 200;
        response.contentType = "text/html; charset=utf-8";
        response.body = "<html><head><title>Ostrom landing</title></head><body><h1>Ostrom</h1>"
                        "<p>The advertiser's page.</p></body></html>";
        return true;
    }
    return false;
}

} // namespace

void addOstromRoutes(DevAdsServer& server) {
    server.addNetwork("/ostrom", answerOstrom);
}

} // namespace zelvan::devserver
