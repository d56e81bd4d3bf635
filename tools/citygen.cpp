#include "citygen.h"

#include "citydata.h"
#include "directory/cp1251.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <stdexcept>
#include <string>

namespace vg {
namespace {

// splitmix64: the same sequence on every platform and standard library.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(1000) < percent * 10; }
    bool ChancePermille(int permille) { return Below(1000) < permille; }
    template <class T> void Shuffle(std::vector<T>& v) {
        for (std::size_t i = v.size(); i > 1; --i)
            std::swap(v[i - 1], v[static_cast<std::size_t>(Below(static_cast<int>(i)))]);
    }

private:
    std::uint64_t state_;
};

std::string W(const char* utf8) {
    std::string out;
    if (!cp1251::FromUtf8(utf8, out)) throw std::logic_error(std::string("not Windows-1251: ") + utf8);
    return out;
}

enum class Housing { Blocks, Private, Mixed };

struct Street {
    std::string name;
    Housing housing;
    int maxHouse;
    int weight;
    int exchange; // the first two digits of its telephone numbers
};

struct Person {
    int surname = -1; // index into kSurnames, or -1 - index into kPlainSurnames
    bool female = false;
    std::string initials; // one or two letters
    bool lower = false;
};

struct Shell {
    bool org = false;
    bool fixed = false; // planted; the length balancing leaves it alone
    int street = -1;    // -1: no street
    Person person;
    DirectoryRecord r;
};

int Scaled(int figure, int records) {
    return static_cast<int>(static_cast<long long>(figure) * records / CityFigures::kRecords);
}

class Generator {
public:
    explicit Generator(int records) : n_(records), rng_(0x56455431393039ULL) {}

    std::vector<DirectoryRecord> Run() {
        MakeStreets();
        shells_.resize(static_cast<std::size_t>(n_));
        for (auto& s : shells_)
            s.org = rng_.Chance(11);
        PlaceAddresses();
        for (auto& s : shells_)
            MakeUser(s);
        AssignKeys();
        bool exact = n_ == CityFigures::kRecords;
        if (exact) {
            Plant();
            Balance();
        }
        std::vector<DirectoryRecord> out;
        out.reserve(shells_.size());
        for (auto& s : shells_)
            out.push_back(std::move(s.r));
        SortByKey(out);
        return out;
    }

private:
    void MakeStreets() {
        for (const char* name : city::kStreets)
            AddStreet(W(name));
        for (const char* name : city::kOtherStreets)
            AddStreet(W(name));
        // The old centre: the streets every city has are its longest, built up with blocks of flats.
        for (std::size_t i = 0; i < 12; ++i)
            Promote(streets_[i]);
        for (auto& s : streets_)
            if (s.name.rfind(W("ПР. "), 0) == 0) Promote(s);
    }

    void AddStreet(std::string name) {
        Street s;
        s.name = std::move(name);
        int kind = rng_.Below(10);
        s.housing = kind < 4 ? Housing::Blocks : kind < 7 ? Housing::Private : Housing::Mixed;
        s.maxHouse = s.housing == Housing::Blocks ? rng_.Range(8, 70) : rng_.Range(15, 160);
        // A few long central streets carry most of the city.
        s.weight = rng_.Range(1, 10) * (rng_.Chance(12) ? 8 : 1);
        s.exchange = rng_.Range(20, 79);
        if (s.exchange % 10 == 9) s.exchange -= 1;
        streets_.push_back(std::move(s));
        totalWeight_ += streets_.back().weight;
    }

    void Promote(Street& s) {
        totalWeight_ -= s.weight;
        s.weight = rng_.Range(60, 120);
        s.housing = Housing::Blocks;
        s.maxHouse = rng_.Range(60, 140);
        totalWeight_ += s.weight;
    }

    int PickStreet() {
        int w = rng_.Below(totalWeight_);
        for (std::size_t i = 0; i < streets_.size(); ++i) {
            w -= streets_[i].weight;
            if (w < 0) return static_cast<int>(i);
        }
        return static_cast<int>(streets_.size()) - 1;
    }

    std::string House(int maxHouse) {
        // Low numbers are commoner: every street has a 1, few reach their end.
        int h = 1 + std::min(rng_.Below(maxHouse), rng_.Below(maxHouse));
        std::string text = std::to_string(h);
        if (text.size() < 3 && rng_.Chance(7)) text += W(rng_.Chance(60) ? "А" : rng_.Chance(70) ? "Б" : "В");
        return text;
    }

    std::string Flat(bool org) {
        if (org) {
            int k = rng_.Below(100);
            if (k < 70) return std::to_string(rng_.Range(1, 40));
            if (k < 90) return std::to_string(rng_.Range(100, 420));
            return std::to_string(rng_.Range(1, 9)) + "-" + std::to_string(rng_.Range(1, 9));
        }
        int k = rng_.Below(1000);
        if (k < 930) return std::to_string(1 + std::min(rng_.Below(240), rng_.Below(240)));
        if (k < 965) return std::to_string(rng_.Range(1, 99)) + W(rng_.Chance(70) ? "А" : "Б");
        if (k < 990) return std::to_string(rng_.Range(1, 9)) + "/" + std::to_string(rng_.Range(1, 9));
        return std::to_string(rng_.Range(1, 9)) + "-" + std::to_string(rng_.Range(1, 9));
    }

    void PlaceAddresses() {
        std::vector<int> perm(static_cast<std::size_t>(n_));
        std::iota(perm.begin(), perm.end(), 0);
        rng_.Shuffle(perm);
        int emptyStreets = Scaled(CityFigures::kEmptyStreets, n_);
        int noStreet = Scaled(CityFigures::kNoStreet, n_);
        int emptyHouses = Scaled(CityFigures::kEmptyHouses, n_);
        int housesWithoutStreet = emptyHouses - noStreet - Scaled(256, n_);
        int housesOnStreets = emptyHouses - noStreet - housesWithoutStreet;
        int pos = 0;
        std::vector<int> houseless;
        for (int k = 0; k < emptyStreets; ++k, ++pos) {
            Shell& s = shells_[static_cast<std::size_t>(perm[static_cast<std::size_t>(pos)])];
            if (k < housesWithoutStreet) {
                houseless.push_back(perm[static_cast<std::size_t>(pos)]);
            } else {
                // Outlying hamlets list a house number only.
                s.r.house = House(60);
            }
        }
        for (int k = 0; k < noStreet; ++k, ++pos) {
            Shell& s = shells_[static_cast<std::size_t>(perm[static_cast<std::size_t>(pos)])];
            s.r.street = "NOSTREET";
            s.org = true;
            houseless.push_back(perm[static_cast<std::size_t>(pos)]);
        }
        for (int k = 0; pos < n_; ++k, ++pos) {
            Shell& s = shells_[static_cast<std::size_t>(perm[static_cast<std::size_t>(pos)])];
            s.street = PickStreet();
            s.r.street = streets_[static_cast<std::size_t>(s.street)].name;
            if (k < housesOnStreets) {
                s.org = true; // kiosks and stalls have no house number
                houseless.push_back(perm[static_cast<std::size_t>(pos)]);
            } else {
                s.r.house = House(streets_[static_cast<std::size_t>(s.street)].maxHouse);
            }
        }

        // Flats: none for houseless records, then the private sector and most organisations go without.
        int emptyFlats = Scaled(CityFigures::kEmptyFlats, n_) - static_cast<int>(houseless.size());
        std::vector<std::pair<int, int>> score; // (score, index)
        for (int i = 0; i < n_; ++i) {
            const Shell& s = shells_[static_cast<std::size_t>(i)];
            if (s.r.house.empty()) continue;
            int base;
            if (s.street < 0)
                base = 2600;
            else if (s.org)
                base = 2000;
            else if (streets_[static_cast<std::size_t>(s.street)].housing == Housing::Private)
                base = 3000;
            else if (streets_[static_cast<std::size_t>(s.street)].housing == Housing::Mixed)
                base = 1500;
            else
                base = 0;
            score.emplace_back(base + rng_.Below(1000), i);
        }
        std::sort(score.begin(), score.end(), std::greater<>());
        for (std::size_t k = static_cast<std::size_t>(emptyFlats); k < score.size(); ++k) {
            Shell& s = shells_[static_cast<std::size_t>(score[k].second)];
            s.r.flat = Flat(s.org);
        }
    }

    std::size_t Room(const Shell& s) const {
        std::size_t used = s.r.street.size() + s.r.house.size() + s.r.flat.size();
        return std::min<std::size_t>(37, used >= 54 ? 0 : 54 - used);
    }

    std::string RenderPerson(const Person& p) const {
        std::string name;
        if (p.surname >= 0) {
            name = W(city::kSurnames[p.surname]);
            if (p.female) name += W("А");
        } else {
            name = W(city::kPlainSurnames[-1 - p.surname]);
        }
        name += ' ';
        for (char c : p.initials) {
            name += c;
            name += '.';
        }
        if (p.lower) {
            std::string low = cp1251::Lower(name);
            low[0] = name[0];
            for (std::size_t k = 1; k < low.size(); ++k)
                if (name[k - 1] == ' ' || name[k - 1] == '.') low[k] = name[k];
            return low;
        }
        return name;
    }

    void MakeUser(Shell& s) {
        std::size_t room = Room(s);
        if (s.org) {
            for (int attempt = 0; attempt < 8; ++attempt) {
                const char* pattern = city::kOrganisations[rng_.Below(std::size(city::kOrganisations))];
                char buffer[128];
                std::snprintf(buffer, sizeof buffer, pattern, rng_.Range(1, 40));
                std::string name = W(buffer);
                if (name.size() <= room) {
                    s.r.user = std::move(name);
                    return;
                }
            }
            s.org = false;
        }
        Person p;
        if (rng_.Chance(6))
            p.surname = -1 - rng_.Below(std::size(city::kPlainSurnames));
        else
            p.surname = rng_.Below(std::size(city::kSurnames));
        p.female = p.surname >= 0 && rng_.Chance(52);
        std::string letters = W(city::kInitials);
        p.initials += letters[static_cast<std::size_t>(rng_.Below(static_cast<int>(letters.size())))];
        if (rng_.Chance(50))
            p.initials += letters[static_cast<std::size_t>(rng_.Below(static_cast<int>(letters.size())))];
        p.lower = rng_.ChancePermille(15);
        s.person = p;
        s.r.user = RenderPerson(p);
        if (s.r.user.size() > room) s.r.user = s.r.user.substr(0, room);
    }

    void AssignKeys() {
        std::vector<int> perm(static_cast<std::size_t>(n_));
        std::iota(perm.begin(), perm.end(), 0);
        rng_.Shuffle(perm);
        int empty = Scaled(CityFigures::kEmptyKeys, n_);
        int six = Scaled(CityFigures::kSixDigitKeys, n_);
        int repeated = Scaled(CityFigures::kRepeatedNumbers, n_);
        int triples = repeated * 40 / 585;
        int copies = repeated + triples; // extra records that share a repeated number
        // The numbers given so far, by value: every number is written without leading zeros, so its value
        // names it. One bit each, up to the eight-digit numbers.
        std::vector<bool> used(100000000, false);
        std::size_t fiveUsed = 0, sevenUsed = 0;
        auto fresh = [&](int digits, int exchange) {
            // A city far larger than Ветлоград runs out of five-digit numbers: it gets seven-digit ones, and
            // once half of those are taken (past about 4.5 million subscribers) eight-digit ones, so that a
            // free number is always found within a few draws.
            if (digits == 5 && fiveUsed > 50000) digits = 7;
            if (digits == 7 && sevenUsed >= 4000000) digits = 8;
            if (digits == 5) ++fiveUsed;
            if (digits == 7) ++sevenUsed;
            for (int attempt = 0;; ++attempt) {
                int number;
                if (digits == 8)
                    number = rng_.Range(20000000, 99999999);
                else if (digits == 7)
                    number = rng_.Range(2000000, 9999999);
                else if (digits == 6)
                    number = 200000 + rng_.Range(10000, 99999);
                else if (attempt < 20)
                    number = exchange * 1000 + rng_.Below(1000);
                else
                    number = rng_.Range(20000, 79999);
                if (!used[static_cast<std::size_t>(number)]) {
                    used[static_cast<std::size_t>(number)] = true;
                    return std::to_string(number);
                }
            }
        };
        std::size_t pos = static_cast<std::size_t>(empty);
        for (int k = 0; k < six; ++k, ++pos)
            shells_[static_cast<std::size_t>(perm[pos])].r.phone = fresh(6, 0);
        std::vector<int> fives(perm.begin() + static_cast<std::ptrdiff_t>(pos), perm.end());
        for (std::size_t k = static_cast<std::size_t>(copies); k < fives.size(); ++k) {
            Shell& s = shells_[static_cast<std::size_t>(fives[k])];
            int exchange = s.street >= 0 ? streets_[static_cast<std::size_t>(s.street)].exchange : 20;
            s.r.phone = fresh(5, exchange);
        }
        // Families and offices sharing one line: 545 numbers twice, 40 three times.
        for (int k = 0; k < copies; ++k) {
            int source = k < repeated ? k : k - repeated;
            const std::string& number =
                shells_[static_cast<std::size_t>(
                            fives[static_cast<std::size_t>(copies) + static_cast<std::size_t>(source)])]
                    .r.phone;
            shells_[static_cast<std::size_t>(fives[static_cast<std::size_t>(k)])].r.phone = number;
        }
    }

    // The published extremes: the shortest and the longest text, the longest user.
    void Plant() {
        bool shortest = false, longest = false, longUser = false;
        std::string longStreet = W("ПРОЕЗД ЛЕЙТЕНАНТА ШМИДТА");
        for (auto& s : shells_) {
            if (!shortest && s.r.street.empty() && s.r.house.empty() && s.r.flat.empty()) {
                s.r.user = W("ЛИ");
                s.org = false;
                s.fixed = shortest = true;
            } else if (!longest && s.street >= 0 && s.r.house.size() == 3 && s.r.flat.size() == 3) {
                s.r.street = longStreet;
                s.r.user = W("КОНСТАНТИНОПОЛЬСКИЙ А.Б.");
                s.fixed = longest = true;
            } else if (!longUser && s.street >= 0 && s.org &&
                       s.r.street.size() + s.r.house.size() + s.r.flat.size() <= 17) {
                s.r.user = W("ВЕТЛОГРАДСКИЙ ЛЕСОКОМБИНАТ/ДИСПЕТЧЕРЫ");
                s.fixed = longUser = true;
            }
        }
        if (!shortest || !longest || !longUser) throw std::logic_error("could not plant the extreme records");
    }

    // Brings the inflated size to the published figure by choosing the form of persons' names.
    void Balance() {
        std::int64_t size = 12;
        for (auto& s : shells_)
            size +=
                12 + s.r.phone.size() + s.r.street.size() + s.r.house.size() + s.r.flat.size() + s.r.user.size() + 8;
        std::int64_t delta = CityFigures::kInflatedBytes - size;
        if (std::getenv("VG_GEN_DEBUG")) std::fprintf(stderr, "balance: %lld\n", static_cast<long long>(delta));
        std::vector<int> persons;
        for (int i = 0; i < n_; ++i)
            if (!shells_[static_cast<std::size_t>(i)].org && !shells_[static_cast<std::size_t>(i)].fixed)
                persons.push_back(i);
        rng_.Shuffle(persons);
        std::string letters = W(city::kInitials);
        for (int pass = 0; pass < 4 && delta != 0; ++pass) {
            for (int i : persons) {
                if (delta == 0) break;
                Shell& s = shells_[static_cast<std::size_t>(i)];
                Person p = s.person;
                if (delta >= 2 && p.initials.size() == 1)
                    p.initials += letters[static_cast<std::size_t>(rng_.Below(static_cast<int>(letters.size())))];
                else if (delta <= -2 && p.initials.size() == 2)
                    p.initials.pop_back();
                else if (delta > 0 && p.surname >= 0 && !p.female)
                    p.female = true;
                else if (delta < 0 && p.surname >= 0 && p.female)
                    p.female = false;
                else
                    continue;
                std::string name = RenderPerson(p);
                if (name.size() > Room(s)) continue;
                delta -= static_cast<std::int64_t>(name.size()) - static_cast<std::int64_t>(s.r.user.size());
                s.person = p;
                s.r.user = std::move(name);
            }
        }
        if (delta != 0) throw std::logic_error("could not balance the directory size, off by " + std::to_string(delta));
    }

    int n_;
    Rng rng_;
    std::vector<Street> streets_;
    int totalWeight_ = 0;
    std::vector<Shell> shells_;
};

} // namespace

std::vector<DirectoryRecord> GenerateCity(int records) {
    return Generator(records).Run();
}

} // namespace vg
