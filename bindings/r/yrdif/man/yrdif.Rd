\name{yrdif}
\alias{yrdif}
\alias{yrdif_days}
\alias{yrdif_basis}
\title{Difference between two dates in years, exactly as the host's YRDIF}
\description{
\code{yrdif()} gives the difference between two dates in years under a
day-count basis, with the bits the host's \code{YRDIF} function gives: the
host's engine itself, compiled from the module's sources.
\code{yrdif_days()} gives the engine's whole-day count behind each result,
and \code{yrdif_basis()} the basis that the host's rules read a text as.
}
\usage{
yrdif(start, end, basis = "AGE")
yrdif_days(start, end, basis = "AGE")
yrdif_basis(basis)
}
\arguments{
\item{start, end}{Dates: \code{Date} (fractional days floored),
\code{POSIXct} (its calendar date in the time zone it carries),
\code{POSIXlt} (the date its fields hold, as \code{strptime} gives it),
character dates read as the \code{yrdif} command reads them (ISO dates
\code{"2000-01-31"}, \code{"+20000-12-31"}, two-digit years such as
\code{"99-01-31"} widened through the host's default cutoff 1926, any of
them with a time of day that is dropped; numeric texts such as
\code{"14610"} are date values; \code{""} and \code{"."} are missing; other
texts give \code{NA} with a warning), or plain numbers read as the host's
date values (days from 1960-01-01, fractions allowed).  A \code{difftime} is a
duration, not a date, and an error.}
\item{basis}{A character vector of size 1 or one per row: \code{"30/360"},
\code{"ACT/ACT"}, \code{"ACT/360"}, \code{"ACT/365"} or \code{"AGE"}, read by
the host's "YRDIF" rules (case and surrounding blanks do not matter, and a
text is recognised by the tokens it holds, so \code{"Actual"} is
\code{"ACT/ACT"} and \code{"A/360"} is \code{"30/360"}; see
\code{yrdif_basis()}); a factor is read as its texts, a text in
\code{"bytes"} encoding as its bytes, and \code{NA} is a missing basis.}
}
\details{
Arguments of size 1 are recycled; other sizes must match, else an error
names the sizes.  Dates become host date values through the host calendar
by year, month and day, never by shifting an epoch: that calendar has no 29
February in years divisible by 4000, so \code{"4000-02-29"} is no date and
gives \code{NA}, and from 4000-03-01 on its date values are one day per
4000 years behind R's day counts.  Dates before 1582-01-01 or after
20000-12-31 give \code{NA}.

For 'AGE' the day count is the days between the dates after each end lying
in a leap year has been moved a year out of it (29 February 2000 to 28
February 2001 counts 731); for the other bases it is the day count the
year fraction was formed from.
}
\value{
\code{yrdif()}: a double vector, \code{NA} where the host has no result (a
missing date, a date outside the calendar, a row whose basis no rule
accepts).  \code{yrdif_days()}: an integer vector, \code{NA} likewise.
As in R's arithmetic, an array's \code{dim} and \code{dimnames} are
kept, else the names of \code{start} (else of \code{end}).
\code{yrdif_basis()}: the basis names, \code{NA} where no rule accepts the
text.  A single basis that no rule accepts is an error.
}
\examples{
yrdif(as.Date("2000-01-01"), as.Date("2001-07-01"), "ACT/ACT")
yrdif("2000-02-29", "2001-02-28")
yrdif_days("2000-02-29", "2001-02-28", "AGE")
yrdif(14610, 15157, "act/365")
yrdif_basis(c("A/360", "Actual", "nonsense"))
}
