# yrdif() over ten million Date pairs against as.numeric(b - a) / 365.25 on
# the same vectors in the same R process.  Prints a Markdown table: the
# fastest of interleaved repetitions and their ratios.
#   Rscript bench_yrdif.R [pairs] [reps]
library(yrdif)
args <- commandArgs(trailingOnly = TRUE)
n <- if (length(args) >= 1) as.numeric(args[[1]]) else 1e7
reps <- if (length(args) >= 2) as.integer(args[[2]]) else 5L
set.seed(1)
a <- as.Date("1950-01-01") + sample.int(25000L, n, replace = TRUE)
b <- a + sample.int(14600L, n, replace = TRUE)
jobs <- list(
  baseline = function() as.numeric(b - a) / 365.25,
  `ACT/ACT` = function() yrdif(a, b, "ACT/ACT"),
  `ACT/365` = function() yrdif(a, b, "ACT/365"),
  AGE = function() yrdif(a, b)
)
times <- setNames(vector("list", length(jobs)), names(jobs))
for (r in seq_len(reps)) {
  for (k in sample(names(jobs))) {
    gc(FALSE)
    times[[k]] <- c(times[[k]], system.time(jobs[[k]]())[["elapsed"]])
  }
}
best <- vapply(times, min, 0)
cat(sprintf("%s Date pairs, the fastest of %d interleaved repetitions.\n\n", format(n, big.mark = ",", scientific = FALSE), reps))
cat("| call | ms | as.numeric(b - a) / 365.25 ms | ratio | target |\n|---|---:|---:|---:|---|\n")
targets <- c(`ACT/ACT` = "<= 3", `ACT/365` = "<= 1.5", AGE = "")
for (k in names(targets)) {
  cat(sprintf("| yrdif(a, b, \"%s\") | %.0f | %.0f | %.2f | %s |\n", k, 1000 * best[[k]],
              1000 * best[["baseline"]], best[[k]] / best[["baseline"]], targets[[k]]))
}
