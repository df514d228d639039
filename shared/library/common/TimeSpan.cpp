// TimeSpan: portable unit.
