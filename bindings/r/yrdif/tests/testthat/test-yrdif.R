# yrdif against YRDIF through the module (golden cases that the yrdif command
# writes during the test run, compared by bits), and its reading of R's date
# types, recycling, missing values and bases.

bits <- function(x) {
  vapply(x, function(v) paste(rev(as.character(writeBin(v, raw(), endian = "little"))),
                              collapse = ""), "")
}
missing_bits <- "fffffe0000000000"

golden <- function(kind) {
  path <- Sys.getenv(paste0("YRDIF_GOLDEN_", toupper(kind)))
  if (!nzchar(path) || !file.exists(path)) skip(paste("no golden cases for", kind))
  read.csv(path, colClasses = "character", encoding = "UTF-8")
}

test_that("every golden pair and basis has the module's bits", {
  for (kind in c("values", "dates")) {
    g <- golden(kind)
    start <- if (kind == "values") as.numeric(g$start) else as.Date(g$start)
    end <- if (kind == "values") as.numeric(g$end) else as.Date(g$end)
    out <- yrdif(start, end, g$basis)
    expect_identical(is.na(out), g$years == missing_bits)
    expect_identical(unname(bits(out[!is.na(out)])), g$years[!is.na(out)])
    # One basis for a whole column, as a scalar argument.
    for (b in unique(g$basis[!is.na(yrdif_basis(g$basis))])) {
      rows <- g$basis == b
      expect_identical(unname(bits(yrdif(start[rows], end[rows], b))),
                       ifelse(g$years[rows] == missing_bits, bits(NA_real_), g$years[rows]))
    }
  }
})

test_that("every input type of a date reads the same calendar date", {
  want <- yrdif(14610, 15157, "ACT/ACT")
  forms <- list(
    as.Date("2000-01-01"), structure(10957L, class = "Date"), structure(10957.9, class = "Date"),
    # Times read in their own zone: in UTC these are 2000-01-02 and 1999-12-31.
    as.POSIXct("2000-01-01 23:30", tz = "America/New_York"),
    as.POSIXct("2000-01-01 00:30", tz = "Asia/Tokyo"),
    as.POSIXlt("2000-01-01 23:00", tz = "America/New_York"), strptime("2000-01-01", "%Y-%m-%d"),
    "2000-01-01", "2000-01-01T23:59:59", " 2000-01-01 ", "14610", 14610, 14610.99, 14610L
  )
  for (f in forms) expect_identical(yrdif(f, 15157, "ACT/ACT"), want, info = format(f))
  expect_identical(yrdif_days("2000-02-29", "2001-02-28", "AGE"), 731L)
  # The command's texts: five-digit years, two-digit years (cutoff 1926).
  expect_identical(yrdif(c("99-01-01", "+20000-12-31"), "1999-01-01"), c(0, yrdif(6589335, 14245)))
})

test_that("recycling, names and size errors follow vctrs rules", {
  s <- c(a = 14610, b = 0, c = NA)
  expect_identical(names(yrdif(s, 15157)), c("a", "b", "c"))
  expect_identical(names(yrdif(c(a = 1), 2)), "a")
  expect_identical(names(yrdif(c(1, 2), c(x = 2, y = 3))), c("x", "y"))  # the end's, where the start has none
  m <- matrix(c(14610, 14611, 0, NA), 2, dimnames = list(c("a", "b"), NULL))
  expect_identical(yrdif_days(15157, m), array(yrdif_days(15157, c(m)), dim(m), dimnames(m)))  # as m - 1 keeps it
  expect_identical(yrdif(s, 15157, c("ACT/ACT", "AGE", "AGE")),
                   c(a = yrdif(14610, 15157, "ACT/ACT"), b = yrdif(0, 15157), c = NA))
  expect_identical(yrdif(numeric(), 1), numeric())
  expect_error(yrdif(1:3, 1:2), "`start` has size 3, `end` has size 2")
  expect_identical(yrdif(1, 2, c("AGE", "ACT/360")), c(yrdif(1, 2), yrdif(1, 2, "ACT/360")))
  expect_identical(yrdif(14610, c(15157, 0)), c(yrdif(14610, 15157), yrdif(14610, 0)))
  expect_error(yrdif(1:3, 1, c("AGE", "AGE")), "`basis` has size 2")
  expect_error(yrdif(list(1), 2), "must be a Date")
})

test_that("missing dates, the calendar's ends and 29 February 4000 give NA", {
  na_forms <- list(NA, NA_real_, NaN, as.Date(NA), "1581-12-31", as.Date("1500-01-01"),
                   "4000-02-29", as.Date("8000-02-29"), 6589336, -138061.5, Inf)
  for (f in na_forms) {
    expect_identical(suppressWarnings(yrdif(f, 0)), NA_real_, info = format(f))
    expect_identical(suppressWarnings(yrdif_days(f, 0)), NA_integer_)
  }
  expect_warning(yrdif(c("2000-01-01garbage", "2000-1-1", "2000-13-01"), 0),
                 "2 text\\(s\\) are no dates and give NA, e.g. \"2000-01-01garbage\", which is a date followed")
  expect_error(yrdif(as.difftime(1, units = "days"), 0), "`start` is a duration")
})

test_that("bases follow the YRDIF rules; one bad basis is an error", {
  expect_identical(unname(yrdif_basis(c("A/360", "Actual", "act/365 ", "ACT", ""))),
                   c("30/360", "ACT/ACT", "ACT/365", NA, NA))
  expect_error(yrdif(0, 1, "ACT"), "basis \"ACT\" is not recognised")
  for (k in 40:41)  # the first 40 characters, then "..."
    expect_error(yrdif(0, 1, strrep("\u00e9", k)),
                 paste0("basis \"", strrep("\u00e9", 40), if (k > 40) "\\.\\.\\.", "\" is not"))
  b <- "ACT\xff"
  Encoding(b) <- "bytes"
  expect_error(yrdif(0, 1, b), "basis \"ACT<ff>\" is not")
  expect_warning(yrdif(b, 0), "e.g. \"ACT<ff>\", which is neither")
  expect_error(yrdif(0, 1, 5), "must be a character vector")
  expect_identical(yrdif(0, 366, c("ACT/ACT", "bogus", NA)), c(1, NA, NA))
  expect_identical(yrdif(0, 366, NA), NA_real_) # R's plain NA, as for the dates
  expect_identical(yrdif(0, 366, factor(c("ACT/ACT", "bogus"))), c(1, NA))
})
