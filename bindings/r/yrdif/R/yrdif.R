# YRDIF over R vectors: date conversion and argument checks here, every
# element in C (src/yrdif_r.c) through the host's own engine.

basis_names <- c("30/360", "ACT/ACT", "ACT/360", "ACT/365", "AGE")

# Host date values (days from 1960-01-01) of one argument.
date_values <- function(x, arg) {
  if (inherits(x, "Date")) {
    return(.Call(C_date_values, unclass(x)))
  }
  if (inherits(x, "POSIXct")) {
    tz <- attr(x, "tzone")
    d <- as.Date(x, tz = if (is.null(tz)) "" else tz[[1]])
    return(.Call(C_date_values, unclass(d)))
  }
  if (inherits(x, "POSIXlt")) { # its own fields: the date in its own zone
    return(.Call(C_date_values, unclass(as.Date(x))))
  }
  if (inherits(x, "difftime")) {
    stop(sprintf("`%s` is a duration (difftime), not a date", arg), call. = FALSE)
  }
  if (is.character(x) || is.factor(x)) {
    x <- as.character(x)
    v <- .Call(C_date_texts, x)
    bad <- attr(v, "bad")
    if (length(bad)) {
      warning(sprintf("`%s`: %d text(s) are no dates and give NA, e.g. %s, which %s",
                      arg, length(bad), shown(x[bad[1]]), attr(v, "problem")), call. = FALSE)
    }
    attributes(v) <- NULL
    return(v)
  }
  if (is.logical(x) && all(is.na(x))) { # R's plain NA
    return(rep(NA_real_, length(x)))
  }
  if (is.numeric(x) && !is.object(x)) {
    return(as.double(x))
  }
  stop(sprintf("`%s` must be a Date, POSIXct, POSIXlt, character dates or numbers (host date values), not %s",
               arg, class(x)[[1]]), call. = FALSE)
}

# The basis texts: a character vector, a factor's levels or R's plain NA
# (logical), as for the dates.
basis_texts <- function(basis) {
  if (is.factor(basis) || is.logical(basis) && all(is.na(basis))) {
    return(as.character(basis))
  }
  if (!is.character(basis)) {
    stop(sprintf("`basis` must be a character vector, not %s", class(basis)[[1]]), call. = FALSE)
  }
  basis
}

# A user's text as messages show it, as the other interfaces do: in
# quotes, its first 40 characters (then "..."), each byte that is no part
# of a valid character (or of a text in "bytes" encoding) as <xx>.
shown <- function(x) {
  if (Encoding(x) == "bytes" || is.na(nchar(x, allowNA = TRUE))) {
    x <- iconv(x, "UTF-8", "ASCII", sub = "byte")
  }
  if (nchar(x) > 40) x <- paste0(substr(x, 1, 40), "...")
  sprintf("\"%s\"", x)
}

# Basis codes of a character vector; one text that no rule accepts is an
# error, one text per row gives NA for such rows (code 0).
basis_codes <- function(basis) {
  basis <- basis_texts(basis)
  u <- unique(basis)
  codes <- .Call(C_basis_codes, u)
  if (length(basis) == 1 && !is.na(basis) && codes == 0L) {
    stop(sprintf("basis %s is not recognised by the YRDIF rules; use '30/360', 'ACT/ACT', 'ACT/360', 'ACT/365' or 'AGE'",
                 shown(basis)), call. = FALSE)
  }
  codes[match(basis, u)]
}

check_sizes <- function(...) {
  sizes <- vapply(list(...), length, integer(1))
  n <- if (any(sizes != 1)) max(sizes[sizes != 1]) else 1L
  if (any(sizes != 1 & sizes != n)) {
    stop(sprintf("Can't recycle %s: sizes must be 1 or the same (%s)",
                 paste0("`", names(sizes), "`", collapse = ", "),
                 paste(sprintf("`%s` has size %d", names(sizes), sizes), collapse = ", ")),
         call. = FALSE)
  }
  n
}

evaluate <- function(routine, start, end, basis) {
  n <- check_sizes(start = start, end = end, basis = basis)
  s <- date_values(start, "start")
  e <- date_values(end, "end")
  out <- .Call(routine, s, e, basis_codes(basis))
  # As in R's arithmetic: an array's dim and dimnames, else the names.
  like <- Find(function(x) !is.null(dim(x)) && length(x) == n, list(start, end))
  if (!is.null(like)) {
    dim(out) <- dim(like)
    dimnames(out) <- dimnames(like)
  } else if (!is.null(names(start)) && length(start) == n) {
    names(out) <- names(start)
  } else if (!is.null(names(end)) && length(end) == n) {
    names(out) <- names(end)
  }
  out
}

yrdif <- function(start, end, basis = "AGE") {
  evaluate(C_years, start, end, basis)
}

yrdif_days <- function(start, end, basis = "AGE") {
  evaluate(C_days, start, end, basis)
}

yrdif_basis <- function(basis) {
  basis <- basis_texts(basis)
  codes <- .Call(C_basis_codes, basis)
  out <- basis_names[ifelse(codes == 0L, NA_integer_, codes)]
  names(out) <- basis
  out
}
