# Demo batch over the bundled sample data.
quit
