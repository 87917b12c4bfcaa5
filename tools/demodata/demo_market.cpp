#include "demodata/demo_market.h"

#include "market/delta_encoding.h"
#include "market/price_walk.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace marlovex::demodata {
namespace {

constexpr double secondsPerDay = 86400.0;
constexpr int openingSecond = 9 * 3600;
constexpr int closingSecond = 17 * 3600 + 30 * 60;

DateTime atSecond(DateTime day, int second) {
    return day + formats::encodeTime(second / 3600, second / 60 % 60, second % 60);
}

// The `count` weekdays before `today`, oldest first.
std::vector<DateTime> tradingDaysBefore(DateTime today, int count) {
    std::vector<DateTime> days;
    for (DateTime day = today - 1; static_cast<int>(days.size()) < count; day -= 1) {
        if (weekday(day) < 5) {
            days.push_back(day);
        }
    }
    std::reverse(days.begin(), days.end());
    return days;
}

// The price path of an underlying through the day: the time of each quote and its price.
using Path = std::vector<market::Quote>;

// The latest quote of `path` at or before `time`, or nullptr before the first.
const market::Quote* quoteAt(const Path& path, DateTime time) {
    const auto after = std::upper_bound(path.begin(), path.end(), time,
                                        [](DateTime t, const market::Quote& q) { return t < q.time; });
    return after == path.begin() ? nullptr : &*(after - 1);
}

class Generator {
public:
    Generator(const std::vector<DemoInstrument>& instruments, DateTime now, std::uint64_t seed)
        : m_instruments(instruments)
        , m_seed(seed)
        , m_today(formats::datePart(now))
        , m_days(tradingDaysBefore(m_today, historyDays)) {
        sessionBounds(now, m_market.sessionStart, m_market.sessionEnd);
    }

    DemoMarket run() {
        for (const auto& instrument : m_instruments) {
            if (!instrument.instrument.warrant) {
                underlying(instrument);
            }
        }
        for (const auto& instrument : m_instruments) {
            if (instrument.instrument.warrant) {
                warrant(instrument);
            }
        }
        const auto byKey = [](const auto& a, const auto& b) {
            return a.instrument != b.instrument ? a.instrument < b.instrument : a.time < b.time;
        };
        std::sort(m_market.quotes.begin(), m_market.quotes.end(), byKey);
        return std::move(m_market);
    }

private:
    // Each instrument draws its rhythm and its prices from walks of its own, so the quotes up to
    // a moment are the same whenever the day is generated: a later run only adds quotes.
    enum class Draws : std::uint64_t { Rhythm = 1, Prices = 2 };
    market::PriceWalk walkOf(std::int64_t instrument, Draws draws) const {
        return market::PriceWalk(m_seed ^ (static_cast<std::uint64_t>(instrument) * 0x9E3779B97F4A7C15ULL) ^
                                 (static_cast<std::uint64_t>(draws) << 56));
    }

    // The seconds of today at which an instrument is quoted.
    std::vector<int> quoteSeconds(const DemoInstrument& instrument) {
        market::PriceWalk rhythm = walkOf(instrument.instrument.number, Draws::Rhythm);
        const int first =
            static_cast<int>(std::lround(formats::timePart(m_market.sessionStart) * secondsPerDay));
        const int last =
            static_cast<int>(std::lround(formats::timePart(m_market.sessionEnd) * secondsPerDay));
        std::vector<int> seconds;
        for (int second = first; second <= last;
             second +=
             static_cast<int>(rhythm.uniform(instrument.minimumPause, instrument.maximumPause + 1))) {
            seconds.push_back(second);
        }
        return seconds;
    }

    void underlying(const DemoInstrument& demo) {
        const auto number = demo.instrument.number;
        double price = demo.instrument.referencePrice.value_or(100.0);
        market::PriceWalk walk = walkOf(number, Draws::Prices);
        auto& closes = m_closes[number];
        for (const DateTime day : m_days) {
            price = walk.nextDay(price);
            closes.push_back(price);
            m_market.dailyPrices.push_back({number, day, price});
            if (demo.tradesShares) {
                m_market.dailyVolumes.push_back({number, day, walk.tradedShares(price, secondsPerDay)});
            }
        }
        auto& path = m_paths[number];
        DateTime previous = m_days.empty() ? m_today : atSecond(m_days.back(), closingSecond);
        std::int64_t shares = 0;
        for (const int second : quoteSeconds(demo)) {
            const DateTime time = atSecond(m_today, second);
            const double pause = (time - previous) * secondsPerDay;
            price = walk.next(price, pause);
            market::Quote quote{number, time, price, std::nullopt};
            if (demo.tradesShares) {
                shares += walk.tradedShares(price, path.empty() ? 60.0 : pause);
                quote.volume = shares;
            }
            path.push_back(quote);
            previous = time;
        }
        m_market.quotes.insert(m_market.quotes.end(), path.begin(), path.end());
    }

    void warrant(const DemoInstrument& demo) {
        const auto& terms = *demo.instrument.warrant;
        const auto& closes = m_closes.at(terms.underlying);
        for (std::size_t i = 0; i < m_days.size(); ++i) {
            const auto quote = market::priceWarrant(terms, closes[i], atSecond(m_days[i], closingSecond));
            m_market.dailyPrices.push_back({demo.instrument.number, m_days[i], quote.bid});
        }
        const auto& path = m_paths.at(terms.underlying);
        const double lastClose = closes.empty() ? path.front().price : closes.back();
        for (const int second : quoteSeconds(demo)) {
            const DateTime time = atSecond(m_today, second);
            const auto* spot = quoteAt(path, time);
            const auto priced = market::priceWarrant(terms, spot ? spot->price : lastClose, time);
            market::Quote quote{demo.instrument.number, time, priced.bid, std::nullopt};
            if (const auto code = market::encodeDelta(priced.delta); code != 0) {
                quote.volume = code;
            }
            m_market.quotes.push_back(quote);
        }
    }

    const std::vector<DemoInstrument>& m_instruments;
    std::uint64_t m_seed;
    DateTime m_today;
    std::vector<DateTime> m_days;
    DemoMarket m_market;
    std::map<std::int64_t, std::vector<double>> m_closes;
    std::map<std::int64_t, Path> m_paths;
};

} // namespace

void sessionBounds(DateTime now, DateTime& start, DateTime& end) {
    const DateTime today = formats::datePart(now);
    const DateTime opening = atSecond(today, openingSecond);
    start = now < opening ? today : opening;
    // Whole seconds, so the last quote never lies after `now`.
    const DateTime lastSecond =
        atSecond(today, static_cast<int>(std::floor(formats::timePart(now) * secondsPerDay)));
    end = std::min(lastSecond, atSecond(today, closingSecond));
}

DemoMarket generateMarket(const std::vector<DemoInstrument>& instruments, DateTime now, std::uint64_t seed) {
    return Generator(instruments, now, seed).run();
}

} // namespace marlovex::demodata
