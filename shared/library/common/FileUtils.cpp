// FileUtils: portable unit.
