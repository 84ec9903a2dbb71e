// The three address-book sync runs: people are matched to cards one to one by contact equality;
// import sends the new people and drops the orphaned plain contacts, merge sends the new people and
// writes the orphans into the address book, export makes the address book hold exactly the cards.
#include "messaging/model/contact_sync.h"

#include <chrono>
#include <limits>

#include "platform/device/address_book.h"
#include "platform/foundation/log.h"

namespace zelvan {

namespace {

// The cards' fields as stored: a deep copy of the `ui` dictionary, so the run never shares a
// dictionary with the main thread.
std::shared_ptr<vCard> copyOf(const vCard& card) {
    auto copy = vCard::create();
    copy->setContactid(card.contactid());
    if (auto ui = card.ui()) {
        copy->setUi(fnd::Value(ui).deepCopy().asDictionary());
    }
    return copy;
}

class Run {
public:
    Run(const std::vector<ContactSync::Entry>& cards, const ContactSync::Progress& progress)
        : cards_(cards), found_(cards.size(), false), progress_(progress) {}

    ContactSync::Plan plan;

    void report(float value) const {
        if (progress_) {
            progress_(value);
        }
    }

    // The first card not yet found that holds the same contact, or -1.
    int match(const vCard& card) const {
        for (size_t i = 0; i < cards_.size(); ++i) {
            if (!found_[i] && cards_[i].copy->isEqualTovCard(card)) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

    // Marks matched cards found and sends the rest as new contacts; progress up to `share`.
    void sendNewPeople(const std::vector<std::shared_ptr<device::Person>>& people, float share) {
        auto packet = fnd::Array::make({ContactSync::kAddCommand});
        const size_t n = people.size();
        for (size_t i = 0; i < n; ++i) {
            auto card = vCard::initWithPerson(*people[i]);
            const int hit = match(*card);
            if (hit >= 0) {
                found_[static_cast<size_t>(hit)] = true;
            } else {
                card->setFound(true);
                card->ui()->setObject(ContactSync::timeStamp(), ContactSync::kKeyTimeStamp);
                plan.added.push_back(card);
                packet->addObject(card->ui());
                if (packet->count() > ContactSync::kContactsPerPacket) {
                    send(fnd::Value(packet));
                    packet = fnd::Array::make({ContactSync::kAddCommand});
                }
            }
            report(share * static_cast<float>(i + 1) / static_cast<float>(n));
        }
        report(share);
        if (packet->count() > 1) {
            send(fnd::Value(packet));
        }
    }

    // Plain contacts (type 0) no person matched.
    std::vector<size_t> orphans() const {
        std::vector<size_t> out;
        for (size_t i = 0; i < cards_.size(); ++i) {
            if (!found_[i] && cards_[i].copy->type() == 0) {
                out.push_back(i);
            }
        }
        return out;
    }

    void send(fnd::Value packet) {
        plan.packets.push_back(std::move(packet));
        ++plan.revisionSteps;
    }

    // Writes each orphan into the address book as a new person; progress from `from` by `share`.
    void addOrphans(device::AddressBook& book, float from, float share, bool saveEach) {
        const std::vector<size_t> list = orphans();
        for (size_t k = 0; k < list.size(); ++k) {
            auto person = device::Person::create();
            cards_[list[k]].copy->save(person);
            book.addRecord(person);
            if (saveEach) {
                saveBook(book);
            }
            report(from + share * static_cast<float>(k + 1) / static_cast<float>(list.size()));
        }
    }

    const std::vector<ContactSync::Entry>& cards() const { return cards_; }
    void setFound(size_t index) { found_[index] = true; }

    static void saveBook(device::AddressBook& book) {
        if (auto saved = book.save(); !saved.ok()) {
            ZLOG(Warn, "messenger: the address book could not be saved: %s",
                 saved.error().localizedDescription().c_str());
        }
    }

private:
    const std::vector<ContactSync::Entry>& cards_;
    std::vector<bool> found_;
    const ContactSync::Progress& progress_;
};

} // namespace

int32_t ContactSync::timeStamp() {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    if (ms > std::numeric_limits<int32_t>::max()) {
        return std::numeric_limits<int32_t>::max();
    }
    return static_cast<int32_t>(ms);
}

std::vector<ContactSync::Entry> ContactSync::snapshot(const CardList<vCard>& all) {
    std::vector<Entry> out;
    out.reserve(all.size());
    for (const auto& card : all) {
        out.push_back({card, copyOf(*card)});
    }
    return out;
}

ContactSync::Plan ContactSync::run(int mode, const std::vector<Entry>& cards, const Progress& progress) {
    Run run(cards, progress);
    if (mode != kMerge && mode != kImport && mode != kExport) {
        return run.plan;
    }
    auto book = device::AddressBook::create();
    if (!book) {
        ZLOG(Warn, "messenger: the address book cannot be opened; contact sync %d stopped with nothing changed", mode);
        return run.plan;
    }
    run.plan.ran = true;
    const std::vector<std::shared_ptr<device::Person>> people = book->copyArrayOfAllPeople();
    if (mode == kImport) {
        run.sendNewPeople(people, 0.7f);
        for (size_t index : run.orphans()) {
            run.send(fnd::Value::array({kRemoveCommand, cards[index].copy->contactid()}));
            run.plan.removed.push_back(cards[index].original);
        }
        run.report(0.9f);
    } else if (mode == kMerge) {
        run.sendNewPeople(people, 0.8f);
        run.addOrphans(*book, 0.8f, 0.1f, true);
        run.report(0.9f);
    } else {
        const size_t n = people.size();
        for (size_t i = 0; i < n; ++i) {
            const int hit = run.match(*vCard::initWithPerson(*people[i]));
            if (hit >= 0) {
                run.setFound(static_cast<size_t>(hit));
            } else {
                book->removeRecord(people[i]);
            }
            run.report(0.7f * static_cast<float>(i + 1) / static_cast<float>(n));
        }
        run.report(0.7f);
        run.addOrphans(*book, 0.7f, 0.2f, false);
        run.report(0.9f);
    }
    Run::saveBook(*book);
    return run.plan;
}

} // namespace zelvan
