# The two commands a newcomer needs: `make run` and `make test`.
.PHONY: run test build bench dist clean

run:
	@scripts/run.sh

test:
	@scripts/test.sh

build:
	@scripts/install-deps.sh
	@scripts/build.sh

bench:
	@scripts/bench.sh

dist:
	@scripts/dist.sh

clean:
	rm -rf build
