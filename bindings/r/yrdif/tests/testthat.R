library(testthat)
library(yrdif)
test_check("yrdif")
