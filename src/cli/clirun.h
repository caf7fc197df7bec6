#pragma once

#include <functional>

class CrawlEngine;
class CliHost;

// Runs a search that `start` begins until it finishes; the first Ctrl-C stops
// it (its running work goes back into the queues). Returns the exit status:
// 2 when the start was refused, 130 after Ctrl-C, 1 when the run hit a
// failure (start page not fetched, disk full), else 0.
int runSearchToEnd(CrawlEngine &engine, CliHost &host, const std::function<bool()> &start);

// The summary line printed when a search run ends.
void printSummary(const CrawlEngine &engine);
