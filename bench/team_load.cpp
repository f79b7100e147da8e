// A team on one database server: many clients, each running the store's own
// code on a connection of its own (a thread each, in one process), opening
// the tray menu's reading every period; some of them also change phrases,
// each its own ones, through the editor's store operations. Prints the
// opening times (median, 95th percentile, slowest), the errors, and whether
// every change that was reported done is in the database at the end. The
// first two seconds, in which every client reads every row for the first
// time, are left out of the opening times.
//
//   team_load.exe "CONNECTION STRING" [CLIENTS [EDITORS [SECONDS [PERIOD_MS [EDIT_PERIOD_MS]]]]]
//   (defaults 50 clients, 5 editors, 20 seconds, 100 ms, 1000 ms)
#include "bench_clock.h"

#include "store/PhraseStore.h"
#include "store/StoreSession.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

const double WarmUpMs = 2000;

struct Results
{
    std::mutex lock;
    std::vector<double> openings;
    int errors = 0;
    int edits = 0;
    int lostEdits = 0;
};

// Sleeps until the given moment (milliseconds on bench::NowMs's clock).
void SleepUntil(double due)
{
    double wait = due - bench::NowMs();
    if (wait > 0) ::Sleep(static_cast<DWORD>(wait));
}

void Client(int number, bool edits, const std::wstring& server, double seconds, double period, double editPeriod,
            Results& results)
{
    StoreSession session;  // a connection of this client's own
    UseDatabaseServer(server);
    {
        // Connections are made one at a time: the driver manager's set-up of a connection is not safe to run at once.
        static std::mutex connecting;
        std::lock_guard<std::mutex> guard(connecting);
        CountPhrases();
    }
    std::vector<double> openings;
    int errors = 0;
    // The phrases this editor changes (its own: a few of every category), and what it wrote last.
    std::vector<std::pair<PhraseId, CString>> mine;
    size_t editCount = 0;
    double start = bench::NowMs();
    // The clients start spread over one period, as people do.
    double nextOpening = start + period * number / 50.0;
    double nextEdit = start + editPeriod * number / 5.0;
    while (bench::NowMs() - start < seconds * 1000) {
        SleepUntil(std::min(nextOpening, edits ? nextEdit : nextOpening));
        if (bench::NowMs() >= nextOpening) {
            nextOpening += period;
            double begun = bench::NowMs();
            std::vector<PhraseId> ids;
            int rows = ForEachMenuRow([&](size_t, const char* code, PhraseId id) {
                if (*code) ids.push_back(id);
            });
            if (begun - start >= WarmUpMs) openings.push_back(bench::NowMs() - begun);
            if (rows < 0) ++errors;
            if (edits && mine.empty())
                for (size_t i = static_cast<size_t>(number); i < ids.size(); i += 97) mine.emplace_back(ids[i], CString());
        }
        if (edits && !mine.empty() && bench::NowMs() >= nextEdit) {
            nextEdit += editPeriod;
            auto& [id, written] = mine[editCount++ % mine.size()];
            StoredPhrase shown = ReadPhrase(id);
            CString text;
            text.Format("Changed by editor %d, change %zu", number, editCount);
            if (shown.read && UpdateContent(id, text, shown.text) == ChangeOutcome::Done) {
                written = text;
            } else {
                ++errors;
            }
        }
    }
    // Every change reported done is in the database.
    int lost = 0;
    for (const auto& [id, written] : mine) {
        if (written.IsEmpty()) continue;
        if (!(ReadPhrase(id).text == written)) ++lost;
    }
    std::lock_guard<std::mutex> guard(results.lock);
    results.openings.insert(results.openings.end(), openings.begin(), openings.end());
    results.errors += errors;
    results.edits += static_cast<int>(editCount);
    results.lostEdits += lost;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: team_load.exe CONNECTION [CLIENTS [EDITORS [SECONDS [PERIOD_MS [EDIT_PERIOD_MS]]]]]\n");
        return 2;
    }
    std::string ansi = argv[1];
    std::wstring server(ansi.begin(), ansi.end());
    int clients = argc > 2 ? std::atoi(argv[2]) : 50;
    int editors = argc > 3 ? std::atoi(argv[3]) : 5;
    double seconds = argc > 4 ? std::atof(argv[4]) : 20;
    double period = argc > 5 ? std::atof(argv[5]) : 100;
    double editPeriod = argc > 6 ? std::atof(argv[6]) : 1000;

    Results results;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back(Client, i, i < editors, server, seconds, period, editPeriod, std::ref(results));
    for (std::thread& thread : threads) thread.join();
    fflush(stdout);

    std::vector<double>& samples = results.openings;
    std::sort(samples.begin(), samples.end());
    auto percentile = [&](double p) {
        return samples.empty() ? -1.0 : samples[std::min(samples.size() - 1, static_cast<size_t>(p * samples.size()))];
    };
    std::printf("clients=%d editors=%d seconds=%.0f period=%.0fms edit-period=%.0fms\n", clients, editors, seconds, period,
                editPeriod);
    std::printf("openings=%zu median=%.1fms p95=%.1fms p99=%.1fms max=%.1fms errors=%d edits=%d lost-edits=%d\n",
                samples.size(), percentile(0.5), percentile(0.95), percentile(0.99), samples.empty() ? -1.0 : samples.back(),
                results.errors, results.edits, results.lostEdits);
    return results.errors == 0 && results.lostEdits == 0 ? 0 : 1;
}
