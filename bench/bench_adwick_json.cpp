// The banner client's JSON reading and writing against RapidJSON: both build the same fnd::Value
// (RapidJSON through its SAX reader) and write it back (RapidJSON through its Writer), on an ad reply,
// a rich-ad markup tree, a suggestion list, a click body (writing only) and a nested 1 MB document; and
// the offer wall's reader and writer (the same engine, lenient) on its configuration reply, a page of 50
// offers, a 1 MiB array of offers and an escape-heavy document.
#include <benchmark/benchmark.h>

#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <malloc.h>

#include <string>
#include <vector>

#include "ads/adwick/json/json_deserializer.h"
#include "ads/adwick/json/json_serializer.h"
#include "offers/brightpoint/bp_json_deserializer.h"
#include "offers/brightpoint/bp_json_serializer.h"
#include "rapidjson_values.h"

namespace {

using zelvan::adwick::JSONDeserializer;
using zelvan::adwick::JSONSerializer;

std::string adReply() {
    return R"({"ad":{"id":"a81f3","format":0,"medium":1,"text":"Hot pizza delivered in 30 minutes \u2013 order now!",)"
           R"("image":"http://127.0.0.1/adwick/static/iphone/img/18.png","action_icon":"browser","width":320,)"
           R"("height":48,"click_url":"http://127.0.0.1/adwick/click?id=a81f3&s=9f2c","pixels":[)"
           R"("http://127.0.0.1/adwick/pixel?a=1","http://127.0.0.1/adwick/pixel?a=2"],"refresh":30.0,)"
           R"("ttl":3600,"colors":{"background":"#000000","text":"#ffffff"},"test":false,"extra":null}})";
}

std::string flexNode(int depth) {
    std::string node = R"({"type":"view","frame":[0,0,320,48],"gradient":["#112233","#445566"],"label":)"
                       R"({"text":"Tap to see today's deals","font":"Helvetica-Bold","size":14.5},"children":[)";
    if (depth > 0) {
        for (int i = 0; i < 4; ++i) {
            node += (i ? "," : "") + flexNode(depth - 1);
        }
    }
    return node + "]}";
}

std::string suggestions() {
    std::string text = "[";
    for (int i = 0; i < 40; ++i) {
        text += (i ? ",\"" : "\"") + std::string("pizza place number ") + std::to_string(i) + "\"";
    }
    return text + "]";
}

std::string nested1mb() {
    std::string text = "[";
    int i = 0;
    while (text.size() < 1024 * 1024) {
        text += (i ? "," : "") + std::string(R"({"id":)") + std::to_string(i) +
                R"(,"name":"item \"quoted\" \/ name","tags":["a","b",{"deep":[1.5,-2e3,true,null]}],"score":)" +
                std::to_string(i * 0.37) + "}";
        ++i;
    }
    return text + "]";
}

fnd::Value clickBody() {
    auto interactions = fnd::Value::array();
    for (int i = 0; i < 200; ++i) {
        interactions.asArray()->addObject(fnd::Value("t:" + std::to_string(i * 17) + ",x:12.5,y:30/40"));
    }
    return fnd::Value::dictionary({{"interactions", interactions}, {"ad_id", "a81f3"}, {"duration", 3.25}});
}

void ours(benchmark::State& state, const std::string& doc) {
    const fnd::Bytes bytes(doc.begin(), doc.end());
    for (auto _ : state) {
        auto value = JSONDeserializer().deserialize(bytes);
        auto text = JSONSerializer().serializeObject(*value);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

std::string wallConfig() {
    return R"({"succ":"1","currency_name":"Gems","currency_color":"#1f8a3c","apps_enabled":"1",)"
           R"("offers_enabled":"1","direct_enabled":"0","inapp_enabled":"1","default_tab":"offers",)"
           R"("status_url":"http:\/\/127.0.0.1\/brightpoint\/iphone\/status","direct_url":"",)"
           R"("offers_url":"http:\/\/127.0.0.1\/brightpoint\/iphone\/offers",)"
           R"("apps_url":"http:\/\/127.0.0.1\/brightpoint\/iphone\/apps",)"
           R"("inapp_url":"http:\/\/127.0.0.1\/brightpoint\/iphone\/inapp",)"
           R"("inapp_verify_url":"http:\/\/127.0.0.1\/brightpoint\/iphone\/verify",)"
           R"("inapp_footer":"Purchases are final.",)"
           R"("app_tab_urls":["http:\/\/127.0.0.1\/a?p=1","http:\/\/127.0.0.1\/a?p=2"],)"
           R"("app_tab_titles":["Free","Paid"],)"
           R"("offer_tab_urls":["http:\/\/127.0.0.1\/o?t=1","http:\/\/127.0.0.1\/o?t=2","http:\/\/127.0.0.1\/o?t=3"],)"
           R"("offer_tab_titles":["Top","New","Surveys"],)"
           R"json("user_agent":"Mozilla\/5.0 (iPhone; U; CPU iPhone OS 3_1 like Mac OS X)"})json";
}

std::string wallOffer(int i) {
    return R"({"offer_id":")" + std::to_string(100000 + i) + R"(","title":"Install Tower Quest and reach level )" +
           std::to_string(i % 20 + 2) +
           R"(","body":"Download the game, open it and finish the tutorial to earn your gems.",)"
           R"("fineprint":"New users only. Allow up to 24 hours.","currency":")" +
           std::to_string(i * 5 + 10) + R"(","image_url":"http:\/\/127.0.0.1\/brightpoint\/icons\/)" +
           std::to_string(i) + R"(.png","url":"http:\/\/127.0.0.1\/brightpoint\/click?o=)" + std::to_string(i) +
           R"(&u=77","offer_provider":"tq","is_iphone_formatted":"1","payout":)" + std::to_string(i * 0.25) + "}";
}

std::string wallPage() {
    std::string text = R"({"succ":"1","page":1,"more":true,"offers":[)";
    for (int i = 0; i < 50; ++i) {
        text += (i ? "," : "") + wallOffer(i);
    }
    return text + "]}";
}

std::string wallOffers1MiB() {
    std::string text = "[";
    for (int i = 0; text.size() < 1024 * 1024; ++i) {
        text += (i ? "," : "") + wallOffer(i);
    }
    return text + "]";
}

std::string wallEscapes() {
    std::string text = "[";
    for (int i = 0; i < 400; ++i) {
        text +=
            (i ? "," : "") + std::string(R"({"t":"caf\u00e9 \"quoted\" \/ path\\to\tfile\n\u4e2d\u6587 \ud83d\ude00",)"
                                         R"("b":"line\r\nnext\bback\fform \u0041\u0042\u0043 \\\\ \/\/"})");
    }
    return text + "]";
}

// The offer wall's fronts: the same engine in its lenient setting.
void oursLenient(benchmark::State& state, const std::string& doc) {
    const fnd::Bytes bytes(doc.begin(), doc.end());
    for (auto _ : state) {
        auto value = zelvan::brightpoint::BPJSONDeserializer().deserialize(bytes);
        auto text = zelvan::brightpoint::BPJSONSerializer().serializeObject(**value);
        benchmark::DoNotOptimize(text);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void peer(benchmark::State& state, const std::string& doc) {
    for (auto _ : state) {
        bench::RapidJsonValueHandler handler;
        rapidjson::Reader reader;
        rapidjson::StringStream stream(doc.c_str());
        reader.Parse(stream, handler);
        rapidjson::StringBuffer buffer;
        rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
        bench::writeRapidJson(writer, handler.root);
        benchmark::DoNotOptimize(buffer.GetString());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * doc.size()));
}

void registerDoc(const char* name, std::string doc) {
    benchmark::RegisterBenchmark((std::string(name) + "/ours").c_str(), ours, doc);
    benchmark::RegisterBenchmark((std::string(name) + "/rapidjson").c_str(), peer, doc);
}

void registerWallDoc(const char* name, std::string doc) {
    benchmark::RegisterBenchmark((std::string(name) + "/ours").c_str(), oursLenient, doc);
    benchmark::RegisterBenchmark((std::string(name) + "/rapidjson").c_str(), peer, doc);
}

const bool registered = [] {
    // Both sides free a tree of several MiB each iteration. Left to its own threshold, the C library
    // gives that memory back to the system after some iterations and not others, depending only on where
    // the last freed block happened to lie, and the side it gives back pays page faults to grow the heap
    // again every iteration. A fixed high threshold keeps the heap for both, so the cases compare the
    // JSON code.
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    registerWallDoc("wall_config", wallConfig());
    registerWallDoc("wall_offer_page", wallPage());
    registerWallDoc("wall_offers_1mib", wallOffers1MiB());
    registerWallDoc("wall_escapes", wallEscapes());
    registerDoc("ad_reply", adReply());
    registerDoc("flex_markup", flexNode(4));
    registerDoc("suggestions", suggestions());
    registerDoc("nested_1mb", nested1mb());
    static const fnd::Value body = clickBody();
    benchmark::RegisterBenchmark("click_body_write/ours", [](benchmark::State& state) {
        for (auto _ : state) {
            benchmark::DoNotOptimize(JSONSerializer().serializeObject(body));
        }
    });
    benchmark::RegisterBenchmark("click_body_write/rapidjson", [](benchmark::State& state) {
        for (auto _ : state) {
            rapidjson::StringBuffer buffer;
            rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
            bench::writeRapidJson(writer, body);
            benchmark::DoNotOptimize(buffer.GetString());
        }
    });
    return true;
}();

} // namespace
